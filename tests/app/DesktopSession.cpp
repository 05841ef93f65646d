#include "DesktopSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

DesktopSession::~DesktopSession()
{
    stop(m_panel);
    stop(m_tray);
    stop(m_bus);
    stop(m_xvfb);
}

void DesktopSession::stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QByteArray DesktopSession::firstLine(QProcess &process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine() && !deadline.hasExpired()
           && process.state() != QProcess::NotRunning)
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    return process.canReadLine() ? process.readLine().trimmed() : QByteArray();
}

bool DesktopSession::startDisplay(QString *why)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        *why = QStringLiteral("Xvfb is not installed");
        return false;
    }
    // Xvfb picks a free display itself and names it on the given descriptor once it is ready,
    // so tests running side by side never share one.
    m_xvfb.setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb.setStandardErrorFile(QProcess::nullDevice());
    m_xvfb.start(xvfb,
                 { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp") });
    const QByteArray number = firstLine(m_xvfb, 15000);
    if (number.isEmpty()) {
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number);
    return true;
}

bool DesktopSession::startBus(QString *why)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        *why = QStringLiteral("dbus-daemon is not installed");
        return false;
    }
    m_bus.setStandardErrorFile(QProcess::nullDevice());
    m_bus.start(daemon,
                { QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1") });
    m_busAddress = QString::fromLatin1(firstLine(m_bus, 10000));
    if (m_busAddress.isEmpty()) {
        *why = QStringLiteral("dbus-daemon did not start");
        return false;
    }
    return true;
}

bool DesktopSession::startTray(QString *why)
{
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    if (trayer.isEmpty()) {
        *why = QStringLiteral("trayer is not installed");
        return false;
    }
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), qEnvironmentVariable("HOME"));
    m_tray.setProcessEnvironment(environment);
    m_tray.setStandardOutputFile(QProcess::nullDevice());
    m_tray.setStandardErrorFile(QProcess::nullDevice());
    m_tray.start(trayer,
                 { QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                   QStringLiteral("right"), QStringLiteral("--widthtype"),
                   QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("32"),
                   QStringLiteral("--SetDockType"), QStringLiteral("true"),
                   QStringLiteral("--transparent"), QStringLiteral("false") });
    // Ready once its panel window exists (it owns the tray selection by then).
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_tray.state() != QProcess::NotRunning) {
        if (run(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-tree") })
                .contains("(\"panel\" \"trayer\")"))
            return true;
        QThread::msleep(100);
    }
    *why = QStringLiteral("trayer did not start");
    return false;
}

void DesktopSession::stopTray()
{
    stop(m_tray);
}

bool DesktopSession::startLxqtPanel(const QString &folder, QString *why)
{
    const QString panel = QStandardPaths::findExecutable(QStringLiteral("lxqt-panel"));
    if (panel.isEmpty()) {
        *why = QStringLiteral("lxqt-panel is not installed");
        return false;
    }
    QDir().mkpath(folder);
    const QString config = folder + QStringLiteral("/panel.conf");
    QFile file(config);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write("[General]\n__userfile__=true\npanels=panel1\n\n[panel1]\n"
                   "plugins=statusnotifier\nposition=Bottom\ndesktop=0\n\n"
                   "[statusnotifier]\ntype=statusnotifier\n");
    file.close();
    m_panel.setProcessEnvironment(environment(folder));
    m_panel.setStandardOutputFile(QProcess::nullDevice());
    m_panel.setStandardErrorFile(folder + QStringLiteral("/panel.log"), QIODevice::Append);
    m_panel.start(panel, { QStringLiteral("-c"), config });
    const QDeadlineTimer deadline(15000);
    QByteArray names;
    while (!deadline.hasExpired() && m_panel.state() != QProcess::NotRunning) {
        names = run(QStringLiteral("dbus-send"),
                    { QStringLiteral("--bus=") + m_busAddress, QStringLiteral("--print-reply"),
                      QStringLiteral("--dest=org.freedesktop.DBus"),
                      QStringLiteral("/org/freedesktop/DBus"),
                      QStringLiteral("org.freedesktop.DBus.ListNames") });
        if (names.contains("org.kde.StatusNotifierHost-"))
            return true;
        // The panel asks this process (the test's accessibility bus) while it starts.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        QThread::msleep(50);
    }
    QFile log(folder + QStringLiteral("/panel.log"));
    log.open(QIODevice::ReadOnly);
    *why = QStringLiteral("lxqt-panel did not start: ") + QString::fromLocal8Bit(log.readAll())
        + QString::fromLocal8Bit(names);
    return false;
}

void DesktopSession::stopLxqtPanel()
{
    stop(m_panel);
}

QProcessEnvironment DesktopSession::environment(const QString &configHome) const
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), configHome);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    // A runtime folder of the user's own, as a login session has.
    const QString runtime = configHome + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    if (!m_busAddress.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return environment;
}

QByteArray DesktopSession::run(const QString &tool, const QStringList &arguments,
                               int *exitCode) const
{
    QProcess process;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(tool, arguments);
    const bool finished = process.waitForFinished(5000);
    if (!finished)
        process.kill();
    if (exitCode)
        *exitCode
            = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

QStringList DesktopSession::shownWindows(const QString &titlePattern) const
{
    const QByteArray ids = run(QStringLiteral("xdotool"),
                               { QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), titlePattern });
    return QString::fromLatin1(ids).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString DesktopSession::trayIcon(const QString &windowClass) const
{
    // The tray docks an icon's window inside its panel window.
    const QString tree = QString::fromLocal8Bit(
        run(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-tree") }));
    static const QRegularExpression panel(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"panel\": \\(\"panel\" \"trayer\"\\)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch found = panel.match(tree);
    if (!found.hasMatch())
        return QString();
    const QString inside = QString::fromLocal8Bit(
        run(QStringLiteral("xwininfo"),
            { QStringLiteral("-tree"), QStringLiteral("-id"), found.captured(1) }));
    const QRegularExpression icon(QStringLiteral("^\\s*(0x[0-9a-f]+) .*\\(\"%1\" \"%1\"\\)")
                                      .arg(QRegularExpression::escape(windowClass)),
                                  QRegularExpression::MultilineOption);
    return icon.match(inside).captured(1);
}
