// SPDX-License-Identifier: MIT
#include "Measure.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <ctime>

namespace
{
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
} // namespace

Measure::Figures Measure::run(int runs, const std::function<void()>& operation)
{
    operation();
    QList<double> times;
    QList<double> cpu;
    for (int n = 0; n < runs; ++n) {
        double cpuMs = 0;
        times.append(once(operation, &cpuMs));
        cpu.append(cpuMs);
    }
    return of(times, cpu);
}

Measure::Figures Measure::of(QList<double> milliseconds, QList<double> cpuMilliseconds)
{
    Figures figures;
    if (milliseconds.isEmpty())
        return figures;
    std::sort(milliseconds.begin(), milliseconds.end());
    const qsizetype n = milliseconds.size();
    figures.median = median(milliseconds);
    figures.cpuMedian = median(cpuMilliseconds);
    // nearest rank
    const auto rank = qsizetype(std::ceil(0.95 * double(n)));
    figures.p95 = milliseconds[std::clamp<qsizetype>(rank, 1, n) - 1];
    return figures;
}

double Measure::once(const std::function<void()>& operation, double* cpuMs)
{
    const double cpuStart = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    operation();
    const double wall = double(timer.nsecsElapsed()) / 1e6;
    if (cpuMs)
        *cpuMs = threadCpuMs() - cpuStart;
    return wall;
}

double Measure::peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void Measure::resetPeakRss()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
