// The main of the benchmark programs that need no desktop: Qt's offscreen platform unless a desktop is there
// and the program asks for it (QM_BENCH_ON_DESKTOP: pictures then take the screen's size).
#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
#if defined(QM_BENCH_ON_DESKTOP)
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
