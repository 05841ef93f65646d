#include "LatencyProbe.h"

#include "BenchPlatform.h"
#include "Stats.h"
#include "app/Form1.h"
#include "app/Form7.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <dirent.h>
#include <unistd.h>

namespace {

void fillFolder(const QString &folder, int count)
{
    // Mostly other slots' messages, a few unrelated files.
    static const char *const extensions[]
        = { ".ms1", ".ms2", ".ms3", ".ms4", ".ms5", ".ms6", ".txt" };
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/other_%2%3")
                       .arg(folder)
                       .arg(i)
                       .arg(QLatin1String(extensions[i % 7])));
        if (file.open(QIODevice::WriteOnly))
            file.write("a message for someone else\r\n");
    }
}

// Runs the event loop until done() is true or the timeout passes; true when done. Used only
// for untimed waits: its polling would disturb a measurement.
template<typename Done> bool waitUntil(Done done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start();
    loop.exec();
    return done();
}

// CPU time (user + system) of another process so far, in nanoseconds; -1 when unknown.
qint64 otherProcessCpuNs(qint64 pid)
{
    if (pid <= 0)
        return -1;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name (which may hold blanks): state is field 3, utime 14.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong();
    return ticks * (1000000000 / sysconf(_SC_CLK_TCK));
}

// CPU time of every process in groups so far, in nanoseconds.
qint64 groupsCpuNs(const QList<qint64> &groups)
{
    qint64 total = 0;
    if (groups.isEmpty())
        return total;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        bool number = false;
        pid.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // After the command name: state, ppid, pgrp, ..., utime (14), stime (15).
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13 || !groups.contains(fields.at(2).toLongLong()))
            continue;
        total += (fields.at(11).toLongLong() + fields.at(12).toLongLong())
            * (1000000000 / sysconf(_SC_CLK_TCK));
    }
    return total;
}

// What the renamer last wrote into its count file.
double renamesCounted(const QString &countFile)
{
    QFile counted(countFile);
    if (!counted.open(QIODevice::ReadOnly))
        return 0;
    return counted.readAll().trimmed().toDouble();
}

// The rename loop's rate on this computer with nothing watching its folder, for two seconds:
// what the kernel and disk allow, beside which the rate under the watch is read.
double unwatchedRenameRate()
{
    QTemporaryDir folder;
    QTemporaryDir countDir;
    const QString countFile = countDir.filePath(QStringLiteral("renames"));
    QProcess renamer;
    renamer.start(QCoreApplication::applicationFilePath(),
                  { QStringLiteral("--renamer"), folder.path(), countFile });
    if (!renamer.waitForStarted())
        return 0;
    const qint64 started = monotonicNs();
    QThread::msleep(2000);
    const double rate = renamesCounted(countFile) / (double(monotonicNs() - started) / 1e9);
    renamer.kill();
    renamer.waitForFinished(2000);
    return rate;
}

// The median time of a plain listing of folder (opendir and readdir, nothing else) over five
// runs: on a share the server's part, which no client can beat.
double plainListingMs(const QString &folder)
{
    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        const qint64 before = monotonicNs();
        DIR *dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return 0;
        while (::readdir(dir)) { }
        ::closedir(dir);
        times.append(double(monotonicNs() - before) / 1e6);
    }
    return quantile(times, 0.5);
}

} // namespace

LatencyResult runLatencyProbe(const LatencyOptions &options)
{
    LatencyResult result;
    QTemporaryDir dir;
    const QString dataFolder = options.dataFolder.isEmpty() ? dir.path() : options.dataFolder;
    const QString writeFolder = options.writeFolder.isEmpty() ? dataFolder : options.writeFolder;
    fillFolder(writeFolder, options.otherFiles);
    FolderWatch::setDefaultMode(options.mode);

    BenchPlatform desktop;
    AppState state(dataFolder, desktop.platform());
    WindowRegistry windows(state);
    Form1 window(windows);
    window.Form_Load();

    qint64 shownAt = 0;
    bool inTray = false;
    QEventLoop *waiting = nullptr;
    desktop.tray.first->onChange = [&](bool shown) {
        inTray = shown;
        if (shown)
            shownAt = monotonicNs();
        if (waiting)
            waiting->quit();
    };

    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--writer") });
    writer.waitForStarted();

    // Let the first ticks settle the labels, and the splash give way to the main window: its
    // first showing is start-up work, not what a waiting program costs.
    waitUntil([&] { return window.inb->text() == Form1::inboxCountText(0); }, 5000);
    waitUntil([&] { return window.isVisible(); }, 2 * Form7::Duration);

    if (options.renameLoop)
        result.unwatchedRenamesPerSecond = unwatchedRenameRate();
    QProcess renamer;
    QTemporaryDir countDir; // outside the watched folder
    const QString countFile = countDir.filePath(QStringLiteral("renames"));
    if (options.renameLoop) {
        renamer.start(QCoreApplication::applicationFilePath(),
                      { QStringLiteral("--renamer"), writeFolder, countFile });
        renamer.waitForStarted();
    }
    const qint64 loopStartNs = monotonicNs();

    QList<double> latencies;
    for (int trial = 0; trial < options.trials; ++trial) {
        const QString path = QStringLiteral("%1/trial_%2.msg").arg(writeFolder).arg(trial);
        if (options.randomPauseMs > 0) {
            QEventLoop pause;
            QTimer::singleShot(int(QRandomGenerator::global()->bounded(options.randomPauseMs)),
                               &pause, &QEventLoop::quit);
            pause.exec();
        }
        shownAt = 0;
        writer.write(QFile::encodeName(path) + '\n');
        writer.waitForBytesWritten(1000);
        {
            QEventLoop loop;
            waiting = &loop;
            QTimer::singleShot(2000, &loop, &QEventLoop::quit);
            if (!inTray)
                loop.exec();
            waiting = nullptr;
        }
        // The writer's answer may have arrived while the event loop ran.
        while (!writer.canReadLine() && writer.waitForReadyRead(2000)) { }
        const qint64 createdAt = writer.readLine().trimmed().toLongLong();
        if (!inTray || shownAt == 0) {
            ++result.timeouts;
            latencies.append(2000.0);
        } else {
            latencies.append(double(shownAt - createdAt) / 1e6);
            if (window.inb->text() != Form1::inboxCountText(1))
                ++result.wrongLabel;
        }
        QFile::remove(path);
        waitUntil([&] { return !inTray; }, 3000);
    }
    writer.closeWriteChannel();
    writer.waitForFinished(2000);

    result.p50Ms = quantile(latencies, 0.50);
    result.p99Ms = quantile(latencies, 0.99);
    if (!options.writeFolder.isEmpty())
        result.plainListingMs = plainListingMs(dataFolder);

    if (options.idleSeconds > 0) {
        QEventLoop settle;
        QTimer::singleShot(int(options.settleSeconds * 1000), &settle, &QEventLoop::quit);
        settle.exec();
        // The probe's own look at other processes (a scan of /proc) comes before the
        // program's CPU is taken: it is not what the program costs.
        const qint64 serverBefore = otherProcessCpuNs(options.serverPid);
        const qint64 shareBefore = groupsCpuNs(options.shareGroups);
        const int sliceCount = qMax(1, int(options.idleSeconds));
        QProcess sampler;
        sampler.start(QCoreApplication::applicationFilePath(),
                      { QStringLiteral("--sampler"),
                        QString::number(QCoreApplication::applicationPid()),
                        QString::number(sliceCount) });
        sampler.waitForReadyRead(5000);
        sampler.readLine();
        // One wait, no timer of the bench's own inside it: the program's ticks alone.
        const qint64 cpuBefore = processCpuNs();
        const qint64 wallBefore = monotonicNs();
        {
            QEventLoop idle;
            QTimer::singleShot(int(options.idleSeconds * 1000), &idle, &QEventLoop::quit);
            idle.exec();
        }
        const double wall = double(monotonicNs() - wallBefore);
        result.idleCpuPercent = 100.0 * double(processCpuNs() - cpuBefore) / wall;
        if (!options.shareGroups.isEmpty())
            result.shareCpuPercent
                = 100.0 * double(groupsCpuNs(options.shareGroups) - shareBefore) / wall;
        if (options.serverPid > 0 && serverBefore >= 0)
            result.serverCpuPercent
                = 100.0 * double(otherProcessCpuNs(options.serverPid) - serverBefore) / wall;
        sampler.waitForFinished(5000);
        QList<double> slices;
        for (const QByteArray &line : sampler.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty())
                slices.append(line.toDouble());
        }
        // A sampler that did not answer leaves the median unknown, not zero.
        result.idleSliceMedianPercent = slices.isEmpty() ? -1 : quantile(slices, 0.5);
    }
    if (options.renameLoop) {
        result.renamesPerSecond
            = renamesCounted(countFile) / (double(monotonicNs() - loopStartNs) / 1e9);
        renamer.kill();
        renamer.waitForFinished(2000);
    }
    return result;
}
