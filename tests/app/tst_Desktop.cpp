// The real program on a private desktop: a virtual X display, a session bus with a
// notification service, and panels that start after the program, as at login: a
// StatusNotifier watcher, then a system tray (trayer). It starts in its own data folder; the splash
// comes first, the main window when it ends; a message for the default user docks the "New
// Message!" icon into the tray once there is one (and again after the tray restarts), a screen
// reader reads "1 New Message." from the main window, and a desktop notification follows the inbox.
// A second start ends and leaves the first copy running.
#include "DesktopSession.h"

#ifdef NOTAVO_HAVE_DBUS
#include "AtSpiTree.h"
#include "FakeNotificationServer.h"
#include "FakeStatusNotifierWatcher.h"
#endif

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_Desktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void mainWindowAppearsAfterSplash();
    void startupMadeHistoryAndAutostart();
    void newMessageDocksTrayIcon();
    void statusNotifierPanelRestarts();
    void screenReaderReadsCount();
    void mainWindowScreenshot();
    void notificationFollowsInbox();
    void secondStartEnds();

private:
    bool waitFor(const std::function<bool()> &condition, int timeoutMs);

    DesktopSession m_desktop;
    bool m_haveTray = false;
    bool m_haveBus = false;
    QString m_noTray;
    QString m_noBus;
#ifdef NOTAVO_HAVE_DBUS
    std::unique_ptr<AtSpiTree> m_reader;
    std::unique_ptr<FakeNotificationServer> m_notifications;
#endif
    QTemporaryDir m_office;
    QTemporaryDir m_config;
    QProcess m_program;
    QString m_mainWindow;
};

bool tst_Desktop::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer waiting;
    waiting.start();
    while (!condition()) {
        if (waiting.elapsed() > timeoutMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

void tst_Desktop::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        QSKIP("xdotool and xwininfo are needed for the desktop test");
    QString why;
    if (!m_desktop.startDisplay(&why))
        QSKIP(qPrintable(why));
    m_haveBus = m_desktop.startBus(&m_noBus);
#ifdef NOTAVO_HAVE_DBUS
    if (m_haveBus) {
        m_reader = std::make_unique<AtSpiTree>(m_desktop.busAddress());
        m_haveBus = m_reader->isServing();
        m_notifications = std::make_unique<FakeNotificationServer>(m_desktop.busAddress());
    }
#else
    m_haveBus = false;
    m_noBus = QStringLiteral("the test was built without Qt D-Bus");
#endif
    // The tray starts later, in newMessageDocksTrayIcon.
    m_haveTray = !QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty();
    m_noTray = QStringLiteral("trayer is not installed");
}

void tst_Desktop::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.terminate();
        if (!m_program.waitForFinished(5000))
            m_program.kill();
        m_program.waitForFinished(3000);
    }
    const QByteArray messages = m_program.readAllStandardError();
    if (!messages.isEmpty())
        qInfo("Notavo said: %s", messages.constData());
}

void tst_Desktop::mainWindowAppearsAfterSplash()
{
    const QString program = m_office.filePath(QStringLiteral("Notavo"));
    QVERIFY(QFile::copy(QStringLiteral(NOTAVO_BINARY), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);

    QProcessEnvironment environment = m_desktop.environment(m_config.path());
    // What a screen reader does on a desktop: switches on the programs' accessibility.
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    m_program.setProcessEnvironment(environment);
    m_program.setWorkingDirectory(m_office.path());
    m_program.setStandardOutputFile(QProcess::nullDevice());
    m_program.start(program, {});
    QVERIFY(m_program.waitForStarted());
    QElapsedTimer sinceStart;
    sinceStart.start();

    qint64 splashSeen = -1;
    qint64 mainSeen = -1;
    bool splashGone = false;
    // Generous: other programs may be loading the machine.
    while (sinceStart.elapsed() < 15000 && m_program.state() == QProcess::Running) {
        const bool splash = !m_desktop.shownWindows(QStringLiteral("^Notavo$")).isEmpty();
        const QStringList main = m_desktop.shownWindows(QStringLiteral("^Notavo 3\\.0$"));
        if (splash && splashSeen < 0)
            splashSeen = sinceStart.elapsed();
        if (!main.isEmpty() && mainSeen < 0) {
            mainSeen = sinceStart.elapsed();
            m_mainWindow = main.constFirst();
        }
        if (mainSeen >= 0 && !splash) {
            splashGone = true;
            break;
        }
        QTest::qWait(100);
    }
    qInfo("splash seen at %lld ms, main window at %lld ms", splashSeen, mainSeen);
    if (m_program.state() != QProcess::Running)
        qInfo("the program ended with exit code %d: %s", m_program.exitCode(),
              m_program.readAllStandardError().right(2000).constData());
    QVERIFY2(splashSeen >= 0, "the splash window never appeared");
    QVERIFY2(mainSeen >= 0, "the main window never appeared");
    QVERIFY2(splashSeen < mainSeen, "the main window appeared before the splash");
    QVERIFY2(mainSeen >= 3500, qPrintable(QStringLiteral("main window after %1 ms").arg(mainSeen)));
    QVERIFY2(mainSeen - splashSeen <= 8000,
             qPrintable(QStringLiteral("main window after %1 ms").arg(mainSeen)));
    QVERIFY(splashGone);
}

void tst_Desktop::startupMadeHistoryAndAutostart()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    QVERIFY(QFileInfo(m_office.filePath(QStringLiteral("History"))).isDir());
    QFile entry(m_config.filePath(QStringLiteral("autostart/Notavo.desktop")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    QVERIFY(text.contains("Exec=\"" + QFile::encodeName(m_office.filePath("Notavo")) + "\""));
    QVERIFY(text.contains("\nIcon=io.github.notavo.Notavo\n"));
}

// The main window as the X server shows it (a message waiting), into build/screenshots/ beside
// the offscreen ones.
void tst_Desktop::mainWindowScreenshot()
{
    if (m_mainWindow.isEmpty())
        QSKIP("the main window is not shown");
    const QString file = QStringLiteral(NOTAVO_SCREENSHOT_DIR "/desktop-main.png");
    QVERIFY(QDir().mkpath(QStringLiteral(NOTAVO_SCREENSHOT_DIR)));
    QFile::remove(file);
    // This test runs without a display of its own: a second run of it grabs on the X server.
    QProcess grab;
    QProcessEnvironment environment = m_desktop.environment(m_config.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    grab.setProcessEnvironment(environment);
    grab.start(QCoreApplication::applicationFilePath(),
               { QStringLiteral("--grab"), m_mainWindow, file });
    QVERIFY(grab.waitForFinished(15000));
    QVERIFY2(grab.exitCode() == 0, grab.readAllStandardError().constData());
    const QImage shot(file);
    QCOMPARE(shot.size(), QSize(311, 143));
    // Not a blank: the window's picture and texts are there.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    QVERIFY(colours.size() > 20);
}

void tst_Desktop::newMessageDocksTrayIcon()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    if (!m_haveTray)
        QSKIP(qPrintable(m_noTray));
    // The message arrives before there is a tray: the count shows in the title meanwhile.
    QFile message(m_office.filePath(QStringLiteral("x.msg")));
    QVERIFY(message.open(QIODevice::WriteOnly));
    message.write("10:15  08/12/2026 \r\n \r\n \r\nPriority: Normal \r\n");
    message.close();
    QVERIFY(waitFor(
        [this] {
            return !m_desktop.shownWindows(QStringLiteral("^Notavo 3\\.0 - 1 New Message\\.$"))
                        .isEmpty();
        },
        10000));

#ifdef NOTAVO_HAVE_DBUS
    // A StatusNotifier panel comes up later: the icon registers with it.
    if (m_haveBus) {
        FakeStatusNotifierWatcher panel(m_desktop.busAddress());
        QVERIFY(panel.isServing());
        QVERIFY2(waitFor([&] { return !panel.items.isEmpty(); }, 10000),
                 "no icon was registered with a StatusNotifier panel that started late");
        QCOMPARE(panel.itemProperty(panel.items.constFirst(), QStringLiteral("Title")).toString(),
                 QStringLiteral("New Message!"));
        // Every property a panel asks for is there (a panel logs the ones it misses).
        for (const char *name :
             { "Category", "Id", "Status", "WindowId", "IconName", "IconPixmap", "ToolTip",
               "ItemIsMenu", "AttentionIconName", "AttentionIconPixmap", "AttentionMovieName",
               "OverlayIconName", "OverlayIconPixmap", "IconThemePath", "Menu" })
            QVERIFY2(panel.itemProperty(panel.items.constFirst(), QLatin1String(name)).isValid(),
                     name);
        // The panel goes away again before an XEmbed tray comes.
    }
#endif

    // An XEmbed tray comes up later: the icon goes in.
    QString why;
    QVERIFY2(m_desktop.startTray(&why), qPrintable(why));
    QVERIFY2(waitFor([this] { return m_desktop.trayHolds(QStringLiteral("Notavo")); }, 10000),
             "no icon was docked into a tray that started late");
    const auto countInTitle = [this] {
        return !m_desktop.shownWindows(QStringLiteral("^Notavo 3\\.0 - 1 New Message\\.$"))
                    .isEmpty();
    };
    QVERIFY2(waitFor([&] { return !countInTitle(); }, 10000), "the count stayed in the title");
    // The panel restarts: while it is down the count is in the title, then the icon comes back
    // and the count leaves the title.
    m_desktop.stopTray();
    QElapsedTimer sinceStop;
    sinceStop.start();
    QVERIFY2(waitFor(countInTitle, 5000), "the count did not go into the title");
    qInfo("count in the title %lld ms after the tray stopped", sinceStop.elapsed());
    QVERIFY2(m_desktop.startTray(&why), qPrintable(why));
    QVERIFY2(waitFor([this] { return m_desktop.trayHolds(QStringLiteral("Notavo")); }, 10000),
             "the icon did not come back after the tray restarted");
    QVERIFY2(waitFor([&] { return !countInTitle(); }, 5000), "the count stayed in the title");

    // An XEmbed tray reports double-clicks: a single click opens nothing, a double-click opens
    // the inbox.
    const QString icon = m_desktop.trayIcon(QStringLiteral("Notavo"));
    const auto browserShown = [this] {
        return !m_desktop.shownWindows(QStringLiteral("^History$")).isEmpty();
    };
    m_desktop.run(QStringLiteral("xdotool"),
                  { QStringLiteral("mousemove"), QStringLiteral("--window"), icon,
                    QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("click"),
                    QStringLiteral("1") });
    QVERIFY2(!waitFor(browserShown, 1500), "a single click on the tray icon opened the inbox");
    m_desktop.run(QStringLiteral("xdotool"),
                  { QStringLiteral("mousemove"), QStringLiteral("--window"), icon,
                    QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("click"),
                    QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                    QStringLiteral("80"), QStringLiteral("1") });
    QVERIFY2(waitFor(browserShown, 10000), "a double-click on the tray icon opened nothing");
}

// A real StatusNotifier panel (LXQt's) after the XEmbed tray is gone: the icon goes to it, and
// while it restarts the count is in the title. The panel finds every property it asks for.
void tst_Desktop::statusNotifierPanelRestarts()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    if (!m_haveBus)
        QSKIP(qPrintable(m_noBus));
    if (QStandardPaths::findExecutable(QStringLiteral("lxqt-panel")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("dbus-send")).isEmpty())
        QSKIP("lxqt-panel and dbus-send are needed");
    const auto countInTitle = [this] {
        return !m_desktop.shownWindows(QStringLiteral("^Notavo 3\\.0 - 1 New Message\\.$"))
                    .isEmpty();
    };
    m_desktop.stopTray();
    QVERIFY2(waitFor(countInTitle, 5000), "the count did not go into the title");
    const QString folder = m_config.filePath(QStringLiteral("lxqt"));
    QString why;
    for (int start = 0; start < 2; ++start) {
        QVERIFY2(m_desktop.startLxqtPanel(folder, &why), qPrintable(why));
        QVERIFY2(waitFor([&] { return !countInTitle(); }, 10000),
                 "the count stayed in the title with a StatusNotifier panel");
        QTest::qWait(1000);
        m_desktop.stopLxqtPanel();
        QElapsedTimer sinceStop;
        sinceStop.start();
        QVERIFY2(waitFor(countInTitle, 5000), "the count did not go into the title");
        qInfo("count in the title %lld ms after the panel stopped", sinceStop.elapsed());
    }
    QFile log(folder + QStringLiteral("/panel.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray said = log.readAll();
    QVERIFY2(!said.contains("UnknownProperty") && !said.contains("Unknown property"),
             said.constData());
}

void tst_Desktop::screenReaderReadsCount()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    if (!m_haveBus)
        QSKIP(qPrintable(m_noBus));
#ifdef NOTAVO_HAVE_DBUS
    // The message of the previous test, or one dropped now.
    QFile message(m_office.filePath(QStringLiteral("x.msg")));
    if (!message.exists()) {
        QVERIFY(message.open(QIODevice::WriteOnly));
        message.close();
    }
    QList<AtSpiTree::Object> seen;
    const auto countIsRead = [&] {
        seen = m_reader->objects(QStringLiteral("Notavo"));
        for (const AtSpiTree::Object &object : std::as_const(seen))
            if (object.role == QLatin1String("push button")
                && object.name == QLatin1String("1 New Message."))
                return true;
        return false;
    };
    const bool read = waitFor(countIsRead, 10000);
    QStringList names;
    for (const AtSpiTree::Object &object : std::as_const(seen))
        names << object.role + QStringLiteral(" '") + object.name + QLatin1Char('\'');
    QVERIFY2(read, qPrintable(names.join(QStringLiteral(", "))));
    // The marks are check boxes with their names, and the close mark is a button.
    QVERIFY(names.contains(QStringLiteral("check box 'Auto Time'")));
    QVERIFY(names.contains(QStringLiteral("check box 'Auto Retrieve Messages'")));
    QVERIFY(names.contains(QStringLiteral("push button 'Close'")));
#endif
}

void tst_Desktop::notificationFollowsInbox()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    if (!m_haveBus)
        QSKIP(qPrintable(m_noBus));
#ifdef NOTAVO_HAVE_DBUS
    FakeNotificationServer &server = *m_notifications;
    QVERIFY(server.isServing());
    // x.msg waits since newMessageDocksTrayIcon (or screenReaderReadsCount).
    QVERIFY2(waitFor([&] { return !server.shown.isEmpty(); }, 10000), "nothing was notified");
    const FakeNotificationServer::Shown first = server.shown.constFirst();
    QCOMPARE(first.summary, QStringLiteral("New Message!"));
    QCOMPARE(first.body, QStringLiteral("1 New Message.\nNewest: x"));
    QVERIFY(first.actions.contains(QStringLiteral("default")));
    QVERIFY2(first.picture, "the notification came without the program's picture");

    // A second message replaces the notification instead of adding one.
    QFile second(m_office.filePath(QStringLiteral("y.msg")));
    QVERIFY(second.open(QIODevice::WriteOnly));
    second.close();
    QVERIFY(waitFor([&] { return server.shown.size() == 2; }, 10000));
    QCOMPARE(server.shown.last().replacesId, first.id);
    QCOMPARE(server.shown.last().body, QStringLiteral("2 New Messages.\nNewest: y"));

    // Clicking it opens the browser on the inbox (shown already since the tray test, when
    // there is a tray).
    server.click(first.id);
    QVERIFY2(
        waitFor([this] { return !m_desktop.shownWindows(QStringLiteral("^History$")).isEmpty(); },
                10000),
        "the browser did not open");

    // An empty inbox takes it away.
    QVERIFY(QFile::remove(m_office.filePath(QStringLiteral("x.msg"))));
    QVERIFY(QFile::remove(m_office.filePath(QStringLiteral("y.msg"))));
    QVERIFY2(waitFor([&] { return server.closed.contains(first.id); }, 10000),
             "the notification stayed");
    QCOMPARE(server.shown.size(), 2);
#endif
}

void tst_Desktop::secondStartEnds()
{
    if (m_program.state() != QProcess::Running)
        QSKIP("the program is not running");
    // The same person starts it again from the menu: that start ends at once, without a
    // second splash or main window, and the first copy runs on.
    QProcess again;
    again.setProcessEnvironment(m_program.processEnvironment());
    again.setWorkingDirectory(m_office.path());
    again.start(m_office.filePath(QStringLiteral("Notavo")), {});
    QVERIFY(again.waitForFinished(10000));
    QCOMPARE(again.exitStatus(), QProcess::NormalExit);
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(m_desktop.shownWindows(QStringLiteral("^Notavo$")).size(), 0);
    QCOMPARE(m_desktop.shownWindows(QStringLiteral("^Notavo 3\\.0")).size(), 1);
    QCOMPARE(m_program.state(), QProcess::Running);
}

// `tst_Desktop --grab <window id> <file>`: saves what the X server shows of the window.
static int grabWindow(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    bool ok = false;
    const WId window = QString::fromLatin1(argv[2]).toULongLong(&ok, 0);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!ok || !screen)
        return 2;
    return screen->grabWindow(window).save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--grab") == 0)
        return grabWindow(argc, argv);
    QCoreApplication application(argc, argv);
    tst_Desktop test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Desktop.moc"
