// Notavo's benchmark: how fast a new message is announced, what an idle copy costs (on local
// folders and on a real FUSE share), what a stranger's rename loop costs, whether a stopped
// share freezes anything, and how quickly and how small the program starts. Prints tables and
// one RESULT line.

#include "HelperProcesses.h"
#include "LatencyProbe.h"
#include "OpenProbe.h"
#include "StalledShareProbe.h"
#include "StartupProbe.h"
#include "support/PausableShare.h"
#include "support/RealShare.h"

#include <QApplication>
#include <QDir>
#include <QSysInfo>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A share is checked every tenth of a second: messages land anywhere in two such beats.
constexpr int SharePauseMs = 200;

struct Row
{
    const char *design;
    int files;
    LatencyResult result;
};

void printRow(const Row &row)
{
    std::printf("| %-40s | %6d | %8.2f | %8.2f | %6d | %10.3f |", row.design, row.files,
                row.result.p50Ms, row.result.p99Ms, row.result.timeouts + row.result.wrongLabel,
                row.result.idleCpuPercent);
    if (row.result.idleSliceMedianPercent >= 0)
        std::printf(" median second: %.3f %%", row.result.idleSliceMedianPercent);
    else
        std::printf(" median second: not measured");
    if (row.result.serverCpuPercent >= 0)
        std::printf(" bindfs server: %.3f %%", row.result.serverCpuPercent);
    if (row.result.shareCpuPercent >= 0)
        std::printf(" server + client: %.3f %%", row.result.shareCpuPercent);
    if (row.result.plainListingMs > 0)
        std::printf(" listing alone: %.1f ms", row.result.plainListingMs);
    if (row.result.renamesPerSecond > 0)
        std::printf(" %.0f renames/s (%.0f/s unwatched)", row.result.renamesPerSecond,
                    row.result.unwatchedRenamesPerSecond);
    std::printf("\n");
    std::fflush(stdout);
}

double ratio(double ours, double literal)
{
    return literal > 0 ? ours / literal : 0;
}

LatencyResult onShare(int files, int trials, double idleSeconds)
{
    PausableShare share;
    if (!share.isMounted()) {
        std::printf("(no share row: %s)\n", qPrintable(share.error()));
        return {};
    }
    LatencyOptions options;
    options.otherFiles = files;
    options.trials = trials;
    options.idleSeconds = idleSeconds;
    options.dataFolder = share.mountPoint();
    options.writeFolder = share.source().path();
    options.serverPid = share.serverPid();
    options.randomPauseMs = SharePauseMs;
    return runLatencyProbe(options);
}

// A real Samba (smbnetfs) or OpenSSH (sshfs) share on loopback; another computer's message is
// written on the server's disk.
LatencyResult onRealShare(RealShare::Kind kind, int files, int trials, double idleSeconds)
{
    // sshfs keeps a directory cache of 20 s by default: offices mount without it.
    RealShare share(kind,
                    kind == RealShare::Kind::Sftp
                        ? QStringList { QStringLiteral("-o"), QStringLiteral("dir_cache=no") }
                        : QStringList());
    if (!share.isMounted()) {
        std::printf("(no real share row: %s)\n", qPrintable(share.error()));
        return {};
    }
    LatencyOptions options;
    options.otherFiles = files;
    options.trials = trials;
    options.idleSeconds = idleSeconds;
    // An office folder inside the share: smbnetfs gives a share's root no time stamps, so
    // there only a full listing can find a change.
    QDir().mkpath(share.backing() + QStringLiteral("/office"));
    options.dataFolder = share.mountPoint() + QStringLiteral("/office");
    options.writeFolder = share.backing() + QStringLiteral("/office");
    options.shareGroups = { share.serverGroup(), share.clientGroup() };
    options.randomPauseMs = SharePauseMs;
    return runLatencyProbe(options);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--writer") == 0)
        return runWriter();
    if (argc > 3 && std::strcmp(argv[1], "--renamer") == 0)
        return runRenamer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc > 3 && std::strcmp(argv[1], "--sampler") == 0)
        return runSampler(std::atoll(argv[2]), std::atoi(argv[3]));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // --quick: a smoke run for development; the figures need the full run.
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    const int trials = quick ? 20 : 200;
    // --idle <mode>: only the idle CPU of one design over 10 s (notify, share or literal), with
    // 10,000 files of other slots in a local folder, 10 on the share.
    const int idleAt = QCoreApplication::arguments().indexOf(QStringLiteral("--idle"));
    if (idleAt > 0 && idleAt + 1 < QCoreApplication::arguments().size()) {
        const QString which = QCoreApplication::arguments().at(idleAt + 1);
        LatencyOptions options;
        options.trials = 1;
        if (which == QLatin1String("share")) {
            const LatencyResult idle = onShare(10, 1, 10.0);
            std::printf("idle CPU share: %.3f %% (bindfs server %.3f %%)\n", idle.idleCpuPercent,
                        idle.serverCpuPercent);
            return 0;
        }
        if (which == QLatin1String("literal"))
            options.mode = FolderWatch::Mode::Literal;
        options.otherFiles = 10000;
        const LatencyResult idle = runLatencyProbe(options);
        std::printf("idle CPU %s: %.3f %% (median second %.3f %%)\n", qPrintable(which),
                    idle.idleCpuPercent, idle.idleSliceMedianPercent);
        return 0;
    }
    // --loop: only the rename loop row.
    if (QCoreApplication::arguments().contains(QStringLiteral("--loop"))) {
        LatencyOptions loop;
        loop.trials = quick ? 20 : 100;
        loop.idleSeconds = quick ? 1.0 : 10.0;
        loop.renameLoop = true;
        printRow({ "local, under a rename loop (busy)", 10, runLatencyProbe(loop) });
        return 0;
    }
    // --shares: only the share rows (bindfs, Samba, OpenSSH).
    if (QCoreApplication::arguments().contains(QStringLiteral("--shares"))) {
        const double idle = quick ? 1.0 : 10.0;
        const int shareTrials = quick ? 10 : 50;
        printRow(
            { "bindfs share (poller thread), idle", 10000, onShare(10000, shareTrials, idle) });
        printRow({ "SMB share (smbnetfs), idle", 10000,
                   onRealShare(RealShare::Kind::Smb, 10000, shareTrials, idle) });
        printRow({ "SFTP share (sshfs), idle", 10000,
                   onRealShare(RealShare::Kind::Sftp, 10000, shareTrials, idle) });
        printRow({ "SMB share (smbnetfs), idle 30 s", 2000,
                   onRealShare(RealShare::Kind::Smb, 2000, quick ? 5 : 20, quick ? 5.0 : 30.0) });
        return 0;
    }
    // --open: only how long the viewer takes to show large messages; --watch: everything but.
    const bool openOnly = QCoreApplication::arguments().contains(QStringLiteral("--open"));
    const bool watchOnly = QCoreApplication::arguments().contains(QStringLiteral("--watch"));
    if (!watchOnly) {
        std::printf("| message KB | one long word ms | one line of words ms | ordinary lines ms |"
                    " longest stall ms |\n");
        std::printf("|------------|------------------|----------------------|-------------------|"
                    "------------------|\n");
        for (const int kilobytes :
             quick ? QList<int> { 125, 1024 } : QList<int> { 125, 1024, 16383 }) {
            const OpenResult open = runOpenProbe({ kilobytes }, quick ? 1 : 3).first();
            std::printf("| %10d | %16.1f | %20.1f | %17.1f | %16.1f |\n", open.kilobytes,
                        open.longLineMs, open.wordsLineMs, open.shortLinesMs, open.longestStallMs);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    if (openOnly)
        return 0;
    const double idleSeconds = quick ? 1.0 : 10.0;
    const int sizes[] = { 10, 1000, 10000 };

    std::printf("Notavo benchmark on %s, %d cores\n\n", qPrintable(QSysInfo::prettyProductName()),
                QThread::idealThreadCount());
    std::printf("| %-40s | %6s | %8s | %8s | %6s | %10s |\n", "design", "files", "p50 ms", "p99 ms",
                "misses", "CPU %");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", "------------------------------------------", "--------",
                "----------", "----------", "--------", "------------");

    QList<Row> ours;
    QList<Row> literal;
    for (const int files : sizes) {
        LatencyOptions options;
        options.otherFiles = files;
        options.trials = trials;
        options.idleSeconds = idleSeconds;
        ours.append({ "change notification (local), idle", files, runLatencyProbe(options) });
        printRow(ours.last());
        options.mode = FolderWatch::Mode::Literal;
        literal.append(
            { "literal: re-list every 5 ms tick, idle", files, runLatencyProbe(options) });
        printRow(literal.last());
    }

    LatencyOptions loop;
    loop.trials = quick ? 20 : 100;
    loop.idleSeconds = idleSeconds;
    loop.renameLoop = true;
    const Row renameLoop { "local, under a rename loop (busy)", 10, runLatencyProbe(loop) };
    printRow(renameLoop);

    const Row share { "bindfs share (poller thread), idle", 10, onShare(10, trials, idleSeconds) };
    printRow(share);
    const Row bigShare { "bindfs share (poller thread), idle", 10000,
                         onShare(10000, quick ? 10 : 50, idleSeconds) };
    printRow(bigShare);
    printRow({ "SMB share (smbnetfs), idle", 10000,
               onRealShare(RealShare::Kind::Smb, 10000, quick ? 10 : 50, idleSeconds) });
    printRow({ "SFTP share (sshfs dir_cache=no), idle", 10000,
               onRealShare(RealShare::Kind::Sftp, 10000, quick ? 10 : 50, idleSeconds) });
    printRow({ "SMB share (smbnetfs), idle 30 s", 2000,
               onRealShare(RealShare::Kind::Smb, 2000, quick ? 5 : 20, quick ? 5.0 : 30.0) });

    std::printf("\n| files | p99 latency ours / literal | idle CPU ours / literal |\n");
    std::printf("|-------|----------------------------|-------------------------|\n");
    for (int i = 0; i < ours.size(); ++i)
        std::printf("| %5d | %26.3f | %23.4f |\n", ours[i].files,
                    ratio(ours[i].result.p99Ms, literal[i].result.p99Ms),
                    ratio(ours[i].result.idleCpuPercent, literal[i].result.idleCpuPercent));

    const int stopSeconds = quick ? 3 : 15;
    StalledShareResult stalled;
    {
        PausableShare stalledShare;
        if (stalledShare.isMounted())
            stalled = runStalledShareProbe(stalledShare, stopSeconds);
    }
    std::printf("\nShare server stopped for %d s: longest the windows went without answering "
                "%.1f ms; close dialog and menu opened %d times; counts kept: %s; the waiting "
                "message counted %.0f ms after the server went on\n",
                stopSeconds, stalled.longestGapMs, stalled.windowsShown,
                stalled.countsKept ? "yes" : "no", stalled.catchUpMs);

    const StartupResult startup = runStartupProbe(3);
    std::printf("\nStart-up (median of 3): splash exposed %.1f ms after exec, peak RSS %.1f MB%s\n",
                startup.splashMs, startup.peakRssMb,
                startup.failures ? " (some starts failed)" : "");

    std::printf("\nRESULT latency_p99_ms_10=%.3f latency_p99_ms_10000=%.3f idle_cpu_pct_10000=%.3f "
                "literal_idle_cpu_pct_10000=%.3f rename_loop_cpu_pct=%.3f "
                "rename_loop_p99_ms=%.3f share_latency_p50_ms_10=%.3f "
                "share_latency_p99_ms_10=%.3f share_idle_cpu_pct_10=%.3f "
                "stalled_share_longest_gap_ms=%.1f splash_ms=%.1f rss_mb=%.1f\n",
                ours.first().result.p99Ms, ours.last().result.p99Ms,
                ours.last().result.idleCpuPercent, literal.last().result.idleCpuPercent,
                renameLoop.result.idleCpuPercent, renameLoop.result.p99Ms, share.result.p50Ms,
                share.result.p99Ms, share.result.idleCpuPercent, stalled.longestGapMs,
                startup.splashMs, startup.peakRssMb);
    return 0;
}
