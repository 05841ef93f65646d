#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A private desktop for tests of the real program: a virtual X display (Xvfb), optionally a
// session bus (dbus-daemon) and a system tray (trayer), each started only when installed and
// stopped with the session. Tools (xdotool, xwininfo) run against the display.
class DesktopSession
{
public:
    DesktopSession() = default;
    ~DesktopSession();
    DesktopSession(const DesktopSession &) = delete;
    DesktopSession &operator=(const DesktopSession &) = delete;

    // Each returns false, with the reason in why, when it cannot start.
    bool startDisplay(QString *why);
    bool startBus(QString *why);
    bool startTray(QString *why);
    // Ends the tray, as a panel restart does.
    void stopTray();
    // An LXQt panel with a StatusNotifier area only, its settings and its log (standard
    // error) under folder; ready once its watcher is on the session bus.
    bool startLxqtPanel(const QString &folder, QString *why);
    void stopLxqtPanel();

    QString display() const { return m_display; }
    QString busAddress() const { return m_busAddress; }
    // An environment for a program on this desktop: nothing of the caller's but PATH, HOME
    // and the given configuration folder.
    QProcessEnvironment environment(const QString &configHome) const;

    // Runs a tool on the display and returns its standard output; exitCode is -1 on a crash
    // or a time-out.
    QByteArray run(const QString &tool, const QStringList &arguments,
                   int *exitCode = nullptr) const;
    // Ids of the shown windows whose title matches the pattern (xdotool's regular expression).
    QStringList shownWindows(const QString &titlePattern) const;
    // True when a window of the given class is docked in the tray.
    bool trayHolds(const QString &windowClass) const { return !trayIcon(windowClass).isEmpty(); }
    // The id of the docked window of the given class; empty when there is none.
    QString trayIcon(const QString &windowClass) const;

private:
    static QByteArray firstLine(QProcess &process, int timeoutMs);
    static void stop(QProcess &process);

    QProcess m_xvfb;
    QProcess m_bus;
    QProcess m_tray;
    QProcess m_panel;
    QString m_display;
    QString m_busAddress;
};
