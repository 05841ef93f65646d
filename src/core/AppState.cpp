#include "AppState.h"

#include "core/Platform.h"
#include "core/Windows.h"
#include "fs/FileList.h"
#include "fs/FolderPoller.h"
#include "fs/PathFunctions.h"

#include <QCoreApplication>

namespace {

// How often the poller asks a share whether its folders changed (one stat; a listing follows only
// a change). A new message is what the program is for: it is noticed within a tenth of a second
// and the listing's time. The History count changes by this copy's own moves (seen
// at once); another computer's filing may take a second.
constexpr int InboxPollIntervalMs = 100;
constexpr int HistoryPollIntervalMs = 1000;

} // namespace

AppState::AppState(const QString &dataFolder, Platform &platform, QObject *parent)
    : QObject(parent)
    , m_dataFolder(dataFolder)
    , m_platform(platform)
    , m_poller(new FolderPoller(this))
    , m_inboxList(new FileList(this))
    , m_historyList(new FileList(this))
{
    // Leaving every event loop (a modal box's too) ends the program without a close event.
    quitProgram = [] {
        QCoreApplication::exit(0);
    };
    m_inboxList->setObjectName(QStringLiteral("File1"));
    m_historyList->setObjectName(QStringLiteral("File2"));
    // The counting lists are polled all the time: on a share that happens off the windows'
    // thread, so a share that stops answering freezes nothing.
    m_inboxList->setPoller(m_poller, InboxPollIntervalMs);
    m_historyList->setPoller(m_poller, HistoryPollIntervalMs);
}

AppState::~AppState() = default;

QString AppState::defaultExecutableName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Notavo.exe");
#else
    return QStringLiteral("Notavo");
#endif
}

QString AppState::historyFolder() const
{
    return AddBackslash(AddBackslash(m_dataFolder) + QStringLiteral("History"));
}

QString AppState::dataFile(const QString &name) const
{
    return AddBackslash(m_dataFolder) + name;
}

Dialogs &AppState::dialogs()
{
    return m_platform.dialogs;
}

Windows &AppState::windows()
{
    Q_ASSERT(m_windows);
    return *m_windows;
}

void AppState::setWindows(Windows *windows)
{
    m_windows = windows;
}

void AppState::setSlotCode(const QString &code)
{
    if (code == m_slotCode)
        return;
    m_slotCode = code;
    emit slotCodeChanged(code);
}

void AppState::setAutoTime(bool on)
{
    if (on == m_autoTime)
        return;
    m_autoTime = on;
    emit autoTimeChanged(on);
}

void AppState::setAutoRetrieve(bool on)
{
    if (on == m_autoRetrieve)
        return;
    m_autoRetrieve = on;
    emit autoRetrieveChanged(on);
}

void AppState::setRunAtStartup(bool on)
{
    if (on == m_runAtStartup)
        return;
    m_runAtStartup = on;
    emit runAtStartupChanged(on);
}

void AppState::setRestoreFlags(const RestoreFlags &flags)
{
    if (flags == m_restoreFlags)
        return;
    m_restoreFlags = flags;
    emit restoreFlagsChanged();
}

void AppState::listRefresh()
{
    m_inboxList->refresh();
    m_historyList->refresh();
    if (m_autoRetrieve && m_windows)
        m_windows->refreshBrowser();
}

void AppState::showUserName(const QString &name)
{
    emit userNameShown(name);
}

void AppState::restartCounts()
{
    emit countsRestarted();
}
