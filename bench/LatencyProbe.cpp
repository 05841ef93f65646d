#include "LatencyProbe.h"

#include "BenchPlatform.h"
#include "Stats.h"
#include "app/AppState.h"
#include "app/Form1.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
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

} // namespace

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

LatencyResult runLatencyProbe(FolderWatch::Mode mode, int otherFiles, int trials,
                              double idleSeconds)
{
    LatencyResult result;
    QTemporaryDir dir;
    fillFolder(dir.path(), otherFiles);
    FolderWatch::setDefaultMode(mode);

    BenchPlatform desktop;
    AppState state(dir.path(), desktop.platform());
    Form1 window(state);
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

    // Let the first ticks settle the labels.
    waitUntil([&] { return window.inb->text() == Form1::inboxCountText(0); }, 5000);

    QList<double> latencies;
    for (int trial = 0; trial < trials; ++trial) {
        const QString path = QStringLiteral("%1/trial_%2.msg").arg(dir.path()).arg(trial);
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
        waitUntil([&] { return !inTray; }, 2000);
    }
    writer.closeWriteChannel();
    writer.waitForFinished(2000);

    result.p50Ms = quantile(latencies, 0.50);
    result.p99Ms = quantile(latencies, 0.99);

    if (idleSeconds > 0) {
        const qint64 cpuBefore = processCpuNs();
        const qint64 wallBefore = monotonicNs();
        QEventLoop idle;
        QTimer::singleShot(int(idleSeconds * 1000), &idle, &QEventLoop::quit);
        idle.exec();
        result.idleCpuPercent
            = 100.0 * double(processCpuNs() - cpuBefore) / double(monotonicNs() - wallBefore);
    }
    return result;
}
