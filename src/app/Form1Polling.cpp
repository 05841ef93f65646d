// The main window's polling: the four timers, the option marks, the count labels and the
// manual retrieval.
#include "Form1.h"

#include "Form8.h"
#include "WindowRegistry.h"
#include "accounts/Form5.h"
#include "core/AppState.h"
#include "desktop/Dialogs.h"
#include "desktop/Glint.h"
#include "fs/FileList.h"
#include "messages/Form4.h"
#include "messages/newmes.h"
#include "widgets/Accessibility.h"
#include "widgets/FileListBox.h"
#include "widgets/PictureButton.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace {

const QLatin1String On("X");

// The timers' design interval. Re-listing a folder this often is what the literal design
// does; the listings report changes themselves (the kernel names them on local folders, the
// poller's thread finds them on shares), so the timers need only an occasional safety tick.
constexpr int DesignIntervalMs = 5;
constexpr int SafetyIntervalMs = 1000;

// Labels are written only when their text changes, so a steady count causes no redrawing;
// a change is also read out by a screen reader.
void setText(QLabel *label, const QString &text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    announceTextChange(label);
}

} // namespace

QString Form1::inboxCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No New Messages.");
    if (count == 1)
        return QStringLiteral("1 New Message.");
    return QString::number(count) + QStringLiteral(" New Messages.");
}

QString Form1::historyCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No Messages in History.");
    if (count == 1)
        return QStringLiteral("1 Message in History.");
    return QString::number(count) + QStringLiteral(" Messages in History.");
}

void Form1::startTimers()
{
    // The design state: all four timers run from the start, and the counts are filled within
    // milliseconds. After that the listings report their changes themselves, and Timer2 and
    // Timer4 follow events (a re-read inbox, a switched option), so the ticks only catch up on
    // the rest.
    for (QTimer *timer : { Timer1, Timer2, Timer3, Timer4 }) {
        timer->setInterval(safetyInterval());
        timer->start();
    }
    QTimer::singleShot(DesignIntervalMs, this, &Form1::pollNow);
}

int Form1::safetyInterval()
{
    return FolderWatch::defaultMode() == FolderWatch::Mode::Literal ? DesignIntervalMs
                                                                    : SafetyIntervalMs;
}

void Form1::followListings()
{
    FileList *inbox = &m_state.inboxList();
    connect(inbox, &FileList::changePending, this, &Form1::inboxChanged);
    connect(&m_state.historyList(), &FileList::changePending, this, &Form1::historyChanged);
    // Whoever re-read the inbox (login, the browser, a retrieval), the icon follows at once.
    connect(inbox, &FileList::namesChanged, this, &Form1::Timer2_Timer, Qt::QueuedConnection);
}

void Form1::followState()
{
    connect(&m_state, &AppState::autoTimeChanged, this, &Form1::showAutoTime);
    connect(&m_state, &AppState::autoRetrieveChanged, this, &Form1::showAutoRetrieve);
    connect(&m_state, &AppState::userNameShown, this, &Form1::showUserName);
    connect(&m_state, &AppState::countsRestarted, this, &Form1::restartCounts);
}

void Form1::showAutoTime(bool on)
{
    setText(aut, on ? QString(On) : QString());
}

void Form1::showAutoRetrieve(bool on)
{
    if (on) {
        Timer1->start();
        Timer3->start();
    } else {
        Timer1->stop();
        Timer3->stop();
    }
    setText(autret, on ? QString(On) : QString());
    if (on)
        pollNow();
}

void Form1::restartCounts()
{
    // Empty counts are rewritten by the polling timers; the running ones do so now.
    inb->setText(QString());
    his->setText(QString());
    pollNow();
}

void Form1::inboxChanged()
{
    // What the next tick would do, done now; with Auto Retrieve off nothing is re-read.
    if (!Timer1->isActive())
        return;
    Timer1_Timer();
    Timer2_Timer();
}

void Form1::historyChanged()
{
    if (Timer3->isActive())
        Timer3_Timer();
}

void Form1::pollNow()
{
    // What the next ticks would do, done now: a login or Auto Retrieve switched on shows the
    // counts at once, not at the next safety tick.
    if (Timer1->isActive()) {
        Timer1_Timer();
        Timer2_Timer();
    }
    if (Timer3->isActive())
        Timer3_Timer();
    // The running timers start again together: equal intervals then tick in one wake-up of
    // the program, and on an idle machine the wake-ups are the cost.
    for (QTimer *timer : { Timer1, Timer2, Timer3, Timer4 }) {
        if (timer->isActive())
            timer->start();
    }
}

void Form1::Timer1_Timer()
{
    FileList *inbox = &m_state.inboxList();
    inbox->refresh();
    setText(inb, inboxCountText(inbox->count()));
}

void Form1::Timer2_Timer()
{
    // The count as last refreshed: with Auto Retrieve off the icon follows the manual
    // retrieval, the login and the browser. This is the one place the waiting-message count
    // is taken up.
    const int count = m_state.inboxList().count();
    Glint1->setInTray(count >= 1);
    if (count != m_announcedCount)
        announceCount(count);
}

void Form1::Timer3_Timer()
{
    FileList *history = &m_state.historyList();
    history->refresh();
    setText(his, historyCountText(history->count()));
}

void Form1::Timer4_Timer()
{
    // The mark is the option as the user sees it: whoever writes "X" or nothing into it, the
    // option follows; any other text changes nothing.
    const QString mark = aut->text();
    if (mark != On && !mark.isEmpty())
        return;
    m_state.setAutoTime(mark == On);
    // The compose window is built on the first tick, its clock running before it is shown.
    m_windows.compose().followAutoTime();
    m_windows.form8().mnuAutoTime->setChecked(m_state.autoTime());
}

bool Form1::trayAvailable() const
{
    return m_state.platform().tray.isSystemTrayAvailable();
}

void Form1::announceCount(int count)
{
    const bool more = count > qMax(0, m_announcedCount);
    m_announcedCount = count;
    m_notice.update(m_state.inboxList().path(), m_state.inboxList().names());
    // Asked only when the count changes: the answer may cost a trip to the display server.
    if (trayAvailable()) {
        setWindowTitle(caption());
        return;
    }
    setWindowTitle(count > 0 ? caption() + QStringLiteral(" - ") + inboxCountText(count)
                             : caption());
    if (more)
        QApplication::alert(this);
}

void Form1::aut_Click()
{
    // The mark, the menu check and the compose clock follow the option.
    m_state.setAutoTime(!m_state.autoTime());
}

void Form1::autret_Click()
{
    // The mark, the menu check and the polling timers follow the option.
    m_state.setAutoRetrieve(!m_state.autoRetrieve());
}

void Form1::inb_DblClick()
{
    if (inb->text() != inboxCountText(0))
        m_windows.form4().OpenInbox();
}

void Form1::his_DblClick()
{
    if (his->text() != historyCountText(0))
        m_windows.form4().OpenHistory();
}

void Form1::nam_DblClick()
{
    QWidget &login = m_windows.form5();
    login.show();
    login.raise();
    login.activateWindow();
}

void Form1::Glint1_DblClick()
{
    m_windows.form4().OpenInbox();
}

void Form1::Glint2_DblClick()
{
    LeaveBackground();
}

void Form1::ret_MouseDown()
{
    if (!m_state.autoRetrieve()) {
        m_retArmed = true;
        return;
    }
    m_retArmed = false;
    retp->hide();
    m_state.dialogs().messageBox(
        QStringLiteral("Cannot recieve messages when 'auto recieve messages' is on."),
        QStringLiteral("Sorry"), Dialogs::Icon::Exclamation);
    // The release went to the box: let the button forget its press, retrieving nothing.
    ret->releaseUp();
}

void Form1::ret_MouseUp()
{
    if (!m_retArmed)
        return;
    m_retArmed = false;
    retp->hide();

    FileList *inbox = &m_state.inboxList();
    inbox->refresh();
    const int count = inbox->count();
    Dialogs &dialogs = m_state.dialogs();
    if (count > 1) {
        setText(inb, inboxCountText(count));
        dialogs.messageBox(QStringLiteral("You have %1 new messages.").arg(count),
                           QStringLiteral("New Messages"), Dialogs::Icon::Exclamation);
    } else if (count == 1) {
        setText(inb, inboxCountText(1));
        dialogs.messageBox(QStringLiteral("You have 1 new message."), QStringLiteral("New Message"),
                           Dialogs::Icon::Exclamation);
    } else if (inb->text() != inboxCountText(0)) {
        setText(inb, inboxCountText(0));
        dialogs.messageBox(QStringLiteral("Sorry, you have no new messages."),
                           QStringLiteral("No Messages"), Dialogs::Icon::Exclamation);
    }

    // Only a loaded browser has a list worth re-reading.
    if (m_state.autoRetrieve()) {
        if (Form4 *browser = m_windows.form4IfLoaded())
            browser->File1->refresh();
    }

    FileList *history = &m_state.historyList();
    history->refresh();
    setText(his, historyCountText(history->count()));
}
