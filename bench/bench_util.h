#pragma once
// What the benchmarks share: their clocks, the process's resident memory, the percentile of a run's timings,
// and a busy full-screen picture to work over.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace qmbench {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// Wall time and this thread's CPU time in nanoseconds; the whole process's CPU time in seconds.
inline double wallNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

inline double threadCpuNs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

inline double processCpuS()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// VmRSS of this process in bytes, from /proc/self/status.
inline double residentBytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double bytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            bytes = std::atof(line + 6) * 1024;
    std::fclose(status);
    return bytes;
}

// The q-quantile (0.5 the median, 0.99 the 99th percentile) of the timings; 0 for none.
inline double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5))];
}

// A desktop as a lesson leaves it, 1920 × 1080: a gradient with some hundred coloured strokes.
inline const QImage& busyScreen()
{
    static const QImage picture = [] {
        QImage img(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient sky(0, 0, 0, kScreenHeight);
        sky.setColorAt(0, QColor(30, 80, 160));
        sky.setColorAt(1, QColor(230, 235, 240));
        p.fillRect(img.rect(), sky);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> x(0, kScreenWidth - 1), y(0, kScreenHeight - 1), c(0, 255);
        for (int i = 0; i < 300; ++i) {
            p.setPen(QPen(QColor(c(rng), c(rng), c(rng)), 3));
            p.drawLine(x(rng), y(rng), x(rng), y(rng));
        }
        return img;
    }();
    return picture;
}

} // namespace qmbench
