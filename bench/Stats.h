#pragma once

#include <QList>

#include <ctime>

// Monotonic nanoseconds, comparable between processes on this machine.
inline qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// CPU time (user + system) of this process so far, in nanoseconds.
qint64 processCpuNs();

// The q-quantile (0..1) of values, nearest-rank.
double quantile(QList<double> values, double q);
double median(const QList<double> &values);
