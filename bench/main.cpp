// Notavo's benchmark: how fast a new message is announced, what an idle copy costs, and how
// quickly and how small the program starts. Prints one table and one RESULT line.

#include "LatencyProbe.h"
#include "OpenProbe.h"
#include "StartupProbe.h"

#include <QApplication>
#include <QSysInfo>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

struct Row
{
    const char *design;
    int files;
    LatencyResult result;
};

void printRow(const Row &row)
{
    std::printf("| %-34s | %6d | %8.2f | %8.2f | %8d | %10.3f |\n", row.design, row.files,
                row.result.p50Ms, row.result.p99Ms, row.result.timeouts + row.result.wrongLabel,
                row.result.idleCpuPercent);
    std::fflush(stdout);
}

double ratio(double ours, double literal)
{
    return literal > 0 ? ours / literal : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--writer") == 0)
        return runWriter();

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // --quick: a smoke run for development; the figures need the full run.
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    const int trials = quick ? 20 : 200;
    // --idle <mode>: only the idle CPU of one design over 10 s (notify, share or literal).
    const int idleAt = QCoreApplication::arguments().indexOf(QStringLiteral("--idle"));
    if (idleAt > 0 && idleAt + 1 < QCoreApplication::arguments().size()) {
        const QString which = QCoreApplication::arguments().at(idleAt + 1);
        const auto mode = which == QLatin1String("share") ? FolderWatch::Mode::Poll
            : which == QLatin1String("literal")           ? FolderWatch::Mode::Literal
                                                          : FolderWatch::Mode::Automatic;
        const LatencyResult idle = runLatencyProbe(mode, 10, 1, 10.0);
        std::printf("idle CPU %s: %.3f %%\n", qPrintable(which), idle.idleCpuPercent);
        return 0;
    }
    // --open: only how long the viewer takes to show large messages.
    const bool openOnly = QCoreApplication::arguments().contains(QStringLiteral("--open"));
    std::printf("| message KB | one long line ms | ordinary lines ms | longest stall ms |\n");
    std::printf("|------------|------------------|-------------------|------------------|\n");
    for (const int kilobytes : quick ? QList<int> { 125, 1024 } : QList<int> { 125, 1024, 16383 }) {
        const OpenResult open
            = runOpenProbe({ kilobytes }, quick || kilobytes > 4096 ? 1 : 3).first();
        std::printf("| %10d | %16.1f | %17.1f | %16.1f |\n", open.kilobytes, open.longLineMs,
                    open.shortLinesMs, open.longestStallMs);
        std::fflush(stdout);
    }
    std::printf("\n");
    if (openOnly)
        return 0;
    const double idleSeconds = quick ? 1.0 : 10.0;
    const int sizes[] = { 10, 1000, 10000 };

    std::printf("Notavo benchmark on %s, %d cores\n\n", qPrintable(QSysInfo::prettyProductName()),
                QThread::idealThreadCount());
    std::printf("| %-34s | %6s | %8s | %8s | %8s | %10s |\n", "design", "files", "p50 ms", "p99 ms",
                "misses", "idle CPU %");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", "------------------------------------", "--------",
                "----------", "----------", "----------", "------------");

    QList<Row> ours;
    QList<Row> literal;
    for (const int files : sizes) {
        ours.append({ "change notification (local)", files,
                      runLatencyProbe(FolderWatch::Mode::Automatic, files, trials, idleSeconds) });
        printRow(ours.last());
        literal.append({ "literal: re-list every 5 ms tick", files,
                         runLatencyProbe(FolderWatch::Mode::Literal, files, trials, idleSeconds) });
        printRow(literal.last());
    }
    const Row share { "stat polling (network share)", 10,
                      runLatencyProbe(FolderWatch::Mode::Poll, 10, trials, idleSeconds) };
    printRow(share);

    std::printf("\n| files | p99 latency ours / literal | idle CPU ours / literal |\n");
    std::printf("|-------|----------------------------|-------------------------|\n");
    for (int i = 0; i < ours.size(); ++i)
        std::printf("| %5d | %26.3f | %23.4f |\n", ours[i].files,
                    ratio(ours[i].result.p99Ms, literal[i].result.p99Ms),
                    ratio(ours[i].result.idleCpuPercent, literal[i].result.idleCpuPercent));

    const StartupResult startup = runStartupProbe(3);
    std::printf("\nStart-up (median of 3): splash exposed %.1f ms after exec, peak RSS %.1f MB%s\n",
                startup.splashMs, startup.peakRssMb,
                startup.failures ? " (some starts failed)" : "");

    std::printf("\nRESULT latency_p99_ms_10=%.3f latency_p99_ms_10000=%.3f idle_cpu_pct_10000=%.3f "
                "literal_idle_cpu_pct_10000=%.3f share_latency_p99_ms_10=%.3f "
                "share_idle_cpu_pct_10=%.3f splash_ms=%.1f rss_mb=%.1f\n",
                ours.first().result.p99Ms, ours.last().result.p99Ms,
                ours.last().result.idleCpuPercent, literal.last().result.idleCpuPercent,
                share.result.p99Ms, share.result.idleCpuPercent, startup.splashMs,
                startup.peakRssMb);
    return 0;
}
