#include "StalledShareProbe.h"

#include "BenchPlatform.h"
#include "Stats.h"
#include "app/Form1.h"
#include "app/Form6.h"
#include "app/Form8.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "fs/FolderWatch.h"
#include "support/PausableShare.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace {

template<typename Done> bool waitUntil(Done done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

} // namespace

StalledShareResult runStalledShareProbe(PausableShare &share, int stopSeconds)
{
    StalledShareResult result;
    FolderWatch::setDefaultMode(FolderWatch::Mode::Automatic);
    share.source().makeFolder(QStringLiteral("History"));
    BenchPlatform desktop;
    AppState state(share.mountPoint(), desktop.platform());
    WindowRegistry windows(state);
    Form1 window(windows);
    window.Form_Load();
    share.source().write(QStringLiteral("first.msg"), "x");
    waitUntil([&] { return window.inb->text() == Form1::inboxCountText(1); }, 5000);

    share.stop((stopSeconds + 10) * 1000);
    share.source().write(QStringLiteral("second.msg"), "x");

    // A heartbeat every 10 ms on the windows' thread; the close dialog and the menu opened and
    // closed every half second, as a user would while waiting.
    qint64 longestGapNs = 0;
    qint64 lastBeat = monotonicNs();
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = monotonicNs();
        longestGapNs = qMax(longestGapNs, now - lastBeat);
        lastBeat = now;
    });
    QTimer user;
    user.setInterval(500);
    QObject::connect(&user, &QTimer::timeout, [&] {
        Form6 &dialog = windows.form6();
        QMenu *menu = windows.form8().mnu;
        if (dialog.isVisible()) {
            dialog.hide();
            if (menu)
                menu->hide();
        } else {
            windows.showCloseDialog();
            if (menu)
                menu->popup(window.geometry().center());
            ++result.windowsShown;
        }
    });
    heartbeat.start();
    user.start();
    QEventLoop stopped;
    QTimer::singleShot(stopSeconds * 1000, &stopped, &QEventLoop::quit);
    stopped.exec();
    heartbeat.stop();
    user.stop();
    longestGapNs = qMax(longestGapNs, monotonicNs() - lastBeat);
    result.longestGapMs = double(longestGapNs) / 1e6;
    result.countsKept = window.inb->text() == Form1::inboxCountText(1);

    const qint64 resumedAt = monotonicNs();
    share.resume();
    if (waitUntil([&] { return window.inb->text() == Form1::inboxCountText(2); }, 10000))
        result.catchUpMs = double(monotonicNs() - resumedAt) / 1e6;
    else
        result.catchUpMs = -1;
    windows.form6().hide();
    return result;
}
