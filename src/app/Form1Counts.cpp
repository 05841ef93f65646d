// The main window's counts and marks: the labels follow the polling and the options, and the
// retrieve button retrieves by hand.
#include "Form1.h"

#include "WaitingCue.h"
#include "WindowRegistry.h"
#include "core/AppState.h"
#include "desktop/Dialogs.h"
#include "widgets/Accessibility.h"
#include "widgets/OptionMark.h"
#include "widgets/PictureButton.h"

#include <QLabel>
#include <QTimer>

namespace {

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

void Form1::followState()
{
    connect(&m_state, &AppState::autoTimeChanged, this, &Form1::showAutoTime);
    connect(&m_state, &AppState::autoRetrieveChanged, this, &Form1::showAutoRetrieve);
    connect(&m_state, &AppState::userNameShown, this, &Form1::showUserName);
}

void Form1::followPolling()
{
    // Made after the marks follow the options, so a switched option shows its mark before the
    // counts it brings.
    m_polling = new MessagePolling(m_state, this);
    Timer1 = m_polling->inboxTimer();
    Timer2 = m_polling->waitingTimer();
    Timer3 = m_polling->historyTimer();
    Timer4 = m_polling->autoTimeTimer();
    m_waitingCue = new WaitingCue(*this, caption(), *Glint1, m_state);
    connect(m_polling, &MessagePolling::inboxCounted, this,
            [this](const QString &text) { setText(inb, text); });
    connect(m_polling, &MessagePolling::historyCounted, this,
            [this](const QString &text) { setText(his, text); });
    connect(m_polling, &MessagePolling::waitingCounted, m_waitingCue, &WaitingCue::show);
    connect(m_polling, &MessagePolling::countsCleared, this, &Form1::clearCounts);
    connect(m_polling, &MessagePolling::autoTimeTick, this, &Form1::Timer4_Timer);
}

void Form1::showAutoTime(bool on)
{
    setText(aut, OptionMark::text(on));
}

void Form1::showAutoRetrieve(bool on)
{
    setText(autret, OptionMark::text(on));
}

void Form1::clearCounts()
{
    inb->setText(QString());
    his->setText(QString());
}

void Form1::Timer4_Timer()
{
    // The mark follows the option; the one mark read back: whoever writes "X" or nothing
    // into it, the option follows, and any other text changes nothing.
    const std::optional<bool> mark = OptionMark::read(aut);
    if (!mark)
        return;
    m_state.setAutoTime(*mark);
    m_windows.followAutoTime();
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

    const int count = m_polling->retrieveInbox();
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

    if (m_state.autoRetrieve())
        m_windows.refreshBrowser();

    // The History count as its timer would write it, without a box.
    m_polling->pollHistory();
}
