// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <functional>

// Runs an operation several times and sums up its wall-clock times.
class Measure
{
public:
    struct Figures {
        double median = 0;
        double p95 = 0;
        double cpuMedian = 0; // processor time of this thread: shows when other work slowed a run
    };

    // One run first that is not counted (it warms caches and prepared
    // statements), then `runs` timed runs.
    static Figures run(int runs, const std::function<void()>& operation);
    static Figures of(QList<double> milliseconds, QList<double> cpuMilliseconds = {});
    // Milliseconds one call of operation takes (wall clock; and processor time).
    static double once(const std::function<void()>& operation, double* cpuMs = nullptr);
    // The process's peak resident set (VmHWM) in MiB.
    static double peakRssMb();
    // Starts the peak over from the present resident set (Linux), so that
    // the peak of one operation can be read.
    static void resetPeakRss();
};
