#include "HelperProcesses.h"

#include "Stats.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// CPU time of every thread of a process so far, in nanoseconds, from the scheduler's own
// accounting (the clock-tick fields of /proc/PID/stat are far too coarse for an idle program).
qint64 threadsCpuNs(qint64 pid)
{
    qint64 total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = ::opendir(tasks.c_str());
    if (!dir)
        return -1;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::FILE *stat = std::fopen((tasks + '/' + entry->d_name + "/schedstat").c_str(), "r");
        if (!stat)
            continue;
        long long ns = 0;
        if (std::fscanf(stat, "%lld", &ns) == 1)
            total += ns;
        std::fclose(stat);
    }
    ::closedir(dir);
    return total;
}

// Sleeps until the monotonic clock reads ns.
void sleepUntilNs(qint64 ns)
{
    const timespec until { time_t(ns / 1000000000), long(ns % 1000000000) };
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) { }
}

} // namespace

int runRenamer(const QString &folder, const QString &countFile)
{
    // Names relative to an open folder: the loop runs as fast as the kernel renames, with no
    // path walk per call. The count goes into a file, not down a pipe: a pipe would wake the
    // measured program at every report.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const int count
        = ::open(QFile::encodeName(countFile).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (dir < 0 || count < 0)
        return 1;
    const char *const a = "loop-a.txt";
    const char *const b = "loop-b.txt";
    const int fd = ::openat(dir, a, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0)
        ::close(fd);
    for (qint64 renames = 1;; ++renames) {
        if (::renameat(dir, renames % 2 ? a : b, dir, renames % 2 ? b : a) != 0)
            return 1;
        if (renames % 10000 == 0) {
            char text[32];
            const int length
                = std::snprintf(text, sizeof text, "%20lld\n", static_cast<long long>(renames));
            [[maybe_unused]] ssize_t written = ::pwrite(count, text, size_t(length), 0);
        }
    }
}

int runSampler(qint64 pid, int slices)
{
    // One slice a second, slept here: the measured program is not woken by its measurement.
    // The slices are printed only at the end for the same reason.
    std::printf("ready\n");
    std::fflush(stdout);
    std::vector<double> percents;
    qint64 cpu = threadsCpuNs(pid);
    qint64 wall = monotonicNs();
    const qint64 start = wall;
    for (int slice = 1; slice <= slices; ++slice) {
        const qint64 end = start + qint64(slice) * 1000000000;
        sleepUntilNs(end);
        const qint64 nowCpu = threadsCpuNs(pid);
        const qint64 nowWall = monotonicNs();
        percents.push_back(100.0 * double(nowCpu - cpu) / double(qMax<qint64>(1, nowWall - wall)));
        cpu = nowCpu;
        wall = nowWall;
    }
    // Its answer and its end wake the program: only once the program's window is over.
    const qint64 after = start + qint64(slices) * 1000000000 + 500000000;
    sleepUntilNs(after);
    for (double percent : percents)
        std::printf("%.6f\n", percent);
    return 0;
}

int runWriter()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty())
            break;
        const qint64 before = monotonicNs();
        const int fd = ::open(line.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            const char text[] = "10:15  08/12/2026 \r\n \r\n \r\nPriority: Normal \r\n";
            [[maybe_unused]] ssize_t written = ::write(fd, text, sizeof text - 1);
            ::close(fd);
        }
        std::printf("%lld\n", static_cast<long long>(before));
        std::fflush(stdout);
    }
    return 0;
}
