#include "Form5.h"

#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Dialogs.h"
#include "fs/FileList.h"
#include "fs/PathFunctions.h"
#include "store/SlotTable.h"
#include "store/Store.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    return l;
}

QLineEdit *field(QWidget *parent, const char *name, const QRect &rect)
{
    auto *f = new QLineEdit(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(rect);
    return f;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(rect);
    return b;
}

} // namespace

Form5::Form5(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    FixedWindow::setUp(this,
                       { "Form5", tr("Log In"), QSize(330, 190),
                         QStringLiteral(":/pictures/background-login.svg") });
    setStyleSheet(Palette::style(QStringLiteral(
        "QLabel { color: $ink; font-weight: bold; background: transparent; }"
        "QLineEdit { color: $screen; background-color: $screenground; border: 1px solid $teal;"
        " selection-background-color: $teal; }"
        // The buttons look like the About window's.
        "QPushButton { color: $white; background: $teal; border: 1px solid $edge;"
        " border-radius: 4px; font-weight: bold; }"
        "QPushButton:pressed { background: $deepteal; }"
        "QPushButton:focus { border: 2px solid $focus; }"
        "QPushButton:disabled { color: $ground; background: $disabled; border-color: "
        "$disablededge; }")));

    uss = new QComboBox(this);
    uss->setObjectName(QStringLiteral("uss"));
    uss->setGeometry(16, 12, 140, 24);
    uss->setEditable(false);
    for (const Slot &slot : SlotTable::all())
        uss->addItem(slot.listEntry);
    uss->setCurrentIndex(-1);

    Label1 = label(this, "Label1", tr("Username:"), QRect(16, 46, 74, 22));
    user = field(this, "user", QRect(94, 46, 150, 22));
    Label2 = label(this, "Label2", tr("Password:"), QRect(16, 76, 74, 22));
    pas = field(this, "pas", QRect(94, 76, 150, 22));
    Label3 = label(this, "Label3",
                   tr("To log into a different account, please type your username and password, "
                      "or click New, to make a new account."),
                   QRect(16, 101, 298, 47));
    Label3->setWordWrap(true);

    log = button(this, "log", tr("Log In"), QRect(16, 152, 92, 26));
    log->setEnabled(false);
    new_ = button(this, "new", tr("New"), QRect(119, 152, 92, 26));
    cance = button(this, "cance", tr("Cancel"), QRect(222, 152, 92, 26));

    // Names for screen readers: the captions label their boxes.
    uss->setAccessibleName(tr("Account"));
    Label1->setBuddy(user);
    Label2->setBuddy(pas);
    user->setAccessibleName(tr("Username"));
    pas->setAccessibleName(tr("Password"));

    setTabOrder(uss, user);
    setTabOrder(user, pas);
    setTabOrder(pas, log);
    setTabOrder(log, new_);
    setTabOrder(new_, cance);

    // activated: the user's choice only (mouse, keyboard or wheel), also of the same entry.
    connect(uss, &QComboBox::activated, this, &Form5::uss_Click);
    // Every change of the text, typed or not (pasted, set by a screen reader's editable-text
    // interface). The clearing on a new choice runs them too; "Log In" is disabled after it.
    connect(user, &QLineEdit::textChanged, this, &Form5::user_Change);
    connect(pas, &QLineEdit::textChanged, this, &Form5::pas_Change);
    connect(log, &QPushButton::clicked, this, &Form5::log_Click);
    connect(new_, &QPushButton::clicked, this, &Form5::new_Click);
    connect(cance, &QPushButton::clicked, this, &Form5::cance_Click);
}

const Slot *Form5::chosenSlot() const
{
    if (uss->currentIndex() < 0)
        return nullptr;
    return SlotTable::byListEntry(uss->currentText());
}

const Slot *Form5::chosenUserSlot() const
{
    const Slot *slot = chosenSlot();
    return slot && !slot->passwordFile.isEmpty() ? slot : nullptr;
}

void Form5::uss_Click()
{
    const Slot *slot = chosenSlot();
    if (!slot)
        return;
    if (slot->passwordFile.isEmpty()) {
        // The default user has no password: choosing it is enough.
        user->hide();
        pas->hide();
        log->setEnabled(true);
        return;
    }

    user->show();
    pas->show();
    user->clear();
    pas->clear();
    log->setEnabled(false);
    if (FileExists(m_state.dataFile(slot->userNameFile)))
        return;
    // The session's end closes every window, this one too, while the box waits; a closed
    // login is deleted, so nothing of it may be touched after the box then.
    const QPointer<Form5> self(this);
    const Dialogs::Answer answer = m_state.dialogs().messageBox(
        tr("Account has not been created. Would you like to create it now?"), tr("Create Account?"),
        Dialogs::Icon::Question, Dialogs::Buttons::YesNo);
    if (!self)
        return;
    if (answer == Dialogs::Answer::Yes) {
        m_state.windows().showUserOptions();
        user->hide();
        pas->hide();
    }
}

void Form5::user_Change()
{
    checkTyped(false);
}

void Form5::pas_Change()
{
    checkTyped(true);
}

// The account files are read on every change, so a change saved meanwhile in the account
// window counts at once. A right value in the field just typed in sends the focus to the other.
void Form5::checkTyped(bool typedPassword)
{
    const Slot *slot = chosenUserSlot();
    if (!slot)
        return;
    const QString storedUser = Store::guardedRead(m_state.dataFile(slot->userNameFile), QString());
    const QString storedPassword
        = Store::guardedRead(m_state.dataFile(slot->passwordFile), QString());
    const bool userRight = user->text() == storedUser;
    const bool passwordRight = pas->text() == storedPassword;
    if (userRight && passwordRight) {
        log->setEnabled(true);
        return;
    }
    log->setEnabled(false);
    if (typedPassword && passwordRight)
        user->setFocus();
    else if (!typedPassword && userRight)
        pas->setFocus();
}

void Form5::log_Click()
{
    const Slot *slot = chosenSlot();
    if (!slot || !log->isEnabled())
        return;
    m_state.setSlotCode(slot->slotCode);

    // Only a loaded browser is re-pointed: when it loads later it opens on the slot's pattern
    // itself, and loading it here would run its start-up for nothing.
    m_state.windows().setBrowserPattern(slot->filePattern);
    m_state.inboxList().setPattern(slot->filePattern);
    m_state.historyList().setPattern(slot->filePattern);

    QString fullName = Store::guardedRead(m_state.dataFile(slot->fullNameFile), QString());
    if (fullName.isEmpty())
        fullName = tr("Name Unknown.");
    m_state.showUserName(fullName);

    // Only a record of the last login; nothing reads it back, so a failure is not worth a box.
    Store::writeSingleValue(m_state.dataFile(QLatin1String(LastLoginFile)), slot->slotCode);

    // Empty counts make the polling timers report the new slot's counts; the running ones do
    // so now rather than at their next safety tick.
    m_state.restartCounts();
    m_state.windows().unload(this);
}

void Form5::new_Click()
{
    m_state.windows().showUserOptions();
    m_state.windows().unload(this);
}

void Form5::cance_Click()
{
    m_state.windows().unload(this);
}

void Form5::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_state.windows().unload(this);
}
