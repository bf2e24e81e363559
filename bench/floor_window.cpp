// The floor of the start-up benchmark: what Qt Widgets alone costs here, one shown window and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("QmFloorWindow"));
    window.resize(70, 420);
    window.show();
    return app.exec();
}
