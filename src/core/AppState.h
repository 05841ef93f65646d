#pragma once

#include "core/Platform.h"

#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class FileList;
class FolderPoller;
class Windows;

// The one process-wide record every window shares: the logged-in slot, the two options, the
// two counting listings and what the windows leave for each other. Windows change it through
// its setters and follow its signals, so a value has one owner however many windows show it.
// QtCore only: it is tested without a display.
class AppState : public QObject
{
    Q_OBJECT
public:
    AppState(const QString &dataFolder, Platform &platform, QObject *parent = nullptr);
    ~AppState() override;
    AppState(const AppState &) = delete;
    AppState &operator=(const AppState &) = delete;

    // The data folder exactly as the system reports it (no separator added).
    QString dataFolder() const { return m_dataFolder; }
    // AddBackslash(data folder) + "History" + separator.
    QString historyFolder() const;
    // AddBackslash(data folder) + name.
    QString dataFile(const QString &name) const;

    Platform &platform() { return m_platform; }
    Dialogs &dialogs();

    // The windows, for those that open or unload others; set by the registry that owns them.
    Windows &windows();
    void setWindows(Windows *windows);

    // Slot code of the logged-in slot: "d" or "1".."6".
    QString slotCode() const { return m_slotCode; }
    void setSlotCode(const QString &code);

    // Auto Time: the compose window's clock keeps its date and time fields current.
    bool autoTime() const { return m_autoTime; }
    void setAutoTime(bool on);

    // Auto Retrieve: the counts are polled, and the windows re-read the browser's list after
    // their own changes.
    bool autoRetrieve() const { return m_autoRetrieve; }
    void setAutoRetrieve(bool on);

    // The counting listings: the logged-in slot's messages in the data folder and in the
    // History folder. (The hidden Form3 names them File1 and File2.)
    FileList &inboxList() { return *m_inboxList; }
    FileList &historyList() { return *m_historyList; }
    // Lists folders on shares off the windows' thread, for the counting lists and the browser.
    FolderPoller &poller() { return *m_poller; }

    // Re-reads the counting lists, then, only while Auto Retrieve is on, the browser's list.
    void listRefresh();

    // The main window shows name (the start-up and a login); it is told again even when the
    // name is the same, so a screen reader hears every login.
    void showUserName(const QString &name);
    // The counts are written again from scratch now (a login changed what they count).
    void restartCounts();

    // Run at startup: the start-up shortcut is made at each start ("st.kfl" holds "yes" or
    // nothing); the menu's check follows.
    bool runAtStartup() const { return m_runAtStartup; }
    void setRunAtStartup(bool on);

    // Which windows to show again when the program leaves the background, as taken when it
    // went there; none before it first did. A window not loaded then counts as not shown.
    struct RestoreFlags
    {
        bool Form2WasShown = false;
        bool Form3WasShown = false;
        bool Form4WasShown = false;
        bool Form5WasShown = false;
        bool operator==(const RestoreFlags &) const = default;
    };
    RestoreFlags restoreFlags() const { return m_restoreFlags; }
    void setRestoreFlags(const RestoreFlags &flags);

    // The message text last loaded into or saved from the viewer: its only record of edits.
    QString referenceText;

    // File name of the program in the data folder, the target of the start-up shortcut.
    // main() sets the real name; tests keep the default.
    QString executableName = defaultExecutableName();
    static QString defaultExecutableName();

    // Ends the program at once, without asking any window and without saving anything.
    // Tests replace it to watch the close dialog's quit without dying.
    std::function<void()> quitProgram;

    // The desktop session is ending (logout, shutdown): windows close without asking.
    bool sessionEnding = false;

signals:
    void slotCodeChanged(const QString &code);
    void autoTimeChanged(bool on);
    void autoRetrieveChanged(bool on);
    void runAtStartupChanged(bool on);
    void restoreFlagsChanged();
    void userNameShown(const QString &name);
    void countsRestarted();

private:
    QString m_dataFolder;
    Platform &m_platform;
    Windows *m_windows = nullptr;
    QString m_slotCode = QStringLiteral("d");
    // Both options start on, as the main window's marks do.
    bool m_autoTime = true;
    bool m_autoRetrieve = true;
    // Until the start-up reads the setting, as its menu check is drawn.
    bool m_runAtStartup = true;
    RestoreFlags m_restoreFlags;
    FolderPoller *m_poller;
    FileList *m_inboxList;
    FileList *m_historyList;
};
