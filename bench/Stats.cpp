#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <sys/resource.h>

qint64 processCpuNs()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval &tv) {
        return qint64(tv.tv_sec) * 1000000000 + tv.tv_usec * 1000;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype rank = qsizetype(std::ceil(q * double(values.size())));
    return values.at(std::clamp<qsizetype>(rank - 1, 0, values.size() - 1));
}

double median(const QList<double> &values)
{
    return quantile(values, 0.5);
}
