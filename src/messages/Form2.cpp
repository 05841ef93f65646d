#include "Form2.h"

#include "ButtonRow.h"
#include "MessageFiles.h"
#include "MessageTextEdit.h"
#include "SaveGuard.h"
#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Dialogs.h"
#include "fs/PathFunctions.h"
#include "store/NamedMessage.h"
#include "store/NewMessageFile.h"
#include "store/Store.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QLineEdit>

Form2::Form2(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    FixedWindow::setUp(this,
                       { "Form2", QStringLiteral("Message :"), twipsSize(4560, 4005),
                         QStringLiteral(":/pictures/background-viewer.svg") });

    Text1 = new MessageTextEdit(QStringLiteral("Text1"), this);
    Text1->setGeometry(twips(120, 120, 4335, 3255));
    Text1->setStyleSheet(
        Palette::style(QStringLiteral("color: $screen; background-color: $screenground;")));
    Text1->setAccessibleName(tr("Message"));

    filn = new QLineEdit(QStringLiteral("Filename"), this);
    filn->setObjectName(QStringLiteral("filn"));
    filn->hide();
    pat = new QLineEdit(QStringLiteral("Path"), this);
    pat->setObjectName(QStringLiteral("pat"));
    pat->hide();

    ButtonRow row(this);
    exity = row.add("exity", tr("Exit"), 135, tr("Close this message"));
    exitp = exity->twin();
    exitp->setObjectName(QStringLiteral("exitp"));
    history = row.add("history", tr("History"), 1005, QStringLiteral("Send message to history"));
    historyp = history->twin();
    inbox = row.add("inbox", tr("Inbox"), 1005, QStringLiteral("Send message to inbox"));
    inboxp = inbox->twin();
    sav = row.add("sav", tr("Save"), 1875, QStringLiteral("Save this message"));
    savp = sav->twin();
    del = row.add("del", tr("Delete"), 2745, QStringLiteral("Delete this message"));
    delp = del->twin();
    saveas = row.add("saveas", tr("Save As"), 3615,
                     QStringLiteral("Save message as new message name"));
    saveasp = saveas->twin();
    history->hide();
    inbox->hide();

    connect(exity, &PictureButton::mouseUp, this, &Form2::exity_MouseUp);
    connect(history, &PictureButton::mouseUp, this, &Form2::history_MouseUp);
    connect(inbox, &PictureButton::mouseUp, this, &Form2::inbox_MouseUp);
    connect(sav, &PictureButton::mouseUp, this, &Form2::sav_MouseUp);
    connect(del, &PictureButton::mouseUp, this, &Form2::del_MouseUp);
    connect(saveas, &PictureButton::mouseUp, this, &Form2::saveas_MouseUp);
}

void Form2::showMessage(const QString &folder, const QString &name, const QString &text)
{
    Text1->setMessageText(text);
    filn->setText(name);
    pat->setText(folder);
    const bool fromInbox = folder == m_state.dataFolder();
    history->setVisible(fromInbox);
    historyp->hide();
    inbox->setVisible(!fromInbox);
    inboxp->hide();
    FixedWindow::showInFront(this);
    m_state.referenceText = Text1->messageText();
    m_loaded = MessageVersion::ofShown(shownFile(), text);
}

QString Form2::shownFile() const
{
    return AddBackslash(pat->text()) + filn->text();
}

bool Form2::written(const StoreResult &result, const QString &failureText,
                    const QString &failureTitle)
{
    if (result.ok())
        return true;
    // A character the file cannot hold, or a text above the size limit, is the text's fault,
    // not the file's: say so, rather than sending the user off to reopen the message and lose
    // the edits.
    if (result.error == StoreResult::Error::Unencodable
        || result.error == StoreResult::Error::TooLarge)
        m_state.dialogs().messageBox(result.describe(), failureTitle, Dialogs::Icon::Exclamation);
    else
        m_state.dialogs().messageBox(failureText, failureTitle, Dialogs::Icon::Exclamation);
    return false;
}

bool Form2::saveShown()
{
    return written(Store::writeWholeText(shownFile(), Text1->messageText()),
                   QStringLiteral("Error, please open message again"), QStringLiteral("Error"));
}

MessageVersion::Change Form2::changeOnDisk() const
{
    return m_loaded.changeAt(shownFile());
}

bool Form2::saveGuarded()
{
    const MessageVersion::Change change = changeOnDisk();
    const QString keptName = change == MessageVersion::Change::Changed
        ? Store::freeMessageName(pat->text(), filn->text())
        : QString();
    switch (SaveGuard(m_state.dialogs()).beforeSave(change, filn->text(), keptName)) {
    case SaveGuard::Way::Cancel:
        return false;
    case SaveGuard::Way::KeepBoth:
    case SaveGuard::Way::SaveAsNew:
        // Never back under the old name silently: a new file, beside theirs or in place of
        // the one that went.
        return saveAsNewFile(filn->text());
    case SaveGuard::Way::Proceed:
        break;
    }
    if (!saveShown())
        return false;
    m_loaded = MessageVersion::afterWriting(shownFile(), Text1->messageText());
    return true;
}

bool Form2::saveAsNewFile(const QString &fileName)
{
    QString writtenName;
    if (!written(Store::writeNewMessage(pat->text(), fileName, Text1->messageText(), &writtenName),
                 QStringLiteral("Error, please open message again"), QStringLiteral("Error")))
        return false;
    filn->setText(writtenName);
    m_loaded = MessageVersion::afterWriting(shownFile(), Text1->messageText());
    // A new message is in the folder: the counts follow, as after Save As.
    m_state.listRefresh();
    return true;
}

void Form2::sav_MouseUp()
{
    if (saveGuarded())
        m_state.referenceText = Text1->messageText();
}

void Form2::saveas_MouseUp()
{
    const QString answer = m_state.dialogs().inputBox(
        QStringLiteral("Please enter new message name"), QStringLiteral("Enter New Message Name"));
    if (answer.isEmpty())
        return;
    // An unsafe name gets the same box as a name the file system refuses.
    if (!written(
            Store::writeNamedMessage(pat->text(), answer, m_state.slotCode(), Text1->messageText()),
            QStringLiteral("Invalid message name"), QStringLiteral("Cannot Save")))
        return;
    // filn stays: the window goes on showing the file that was opened.
    m_state.referenceText = Text1->messageText();
    m_state.listRefresh();
}

void Form2::del_MouseUp()
{
    if (m_state.dialogs().messageBox(
            QStringLiteral("Are you sure you want to delete this message?"),
            QStringLiteral("Delete Message?"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
        != Dialogs::Answer::Yes)
        return;
    if (SaveGuard(m_state.dialogs()).beforeDelete(changeOnDisk(), filn->text())
        == SaveGuard::Way::Cancel)
        return;
    Store::deleteMessage(shownFile());
    m_state.listRefresh();
    m_state.windows().unload(this);
}

void Form2::history_MouseUp()
{
    if (m_state.dialogs().messageBox(
            QStringLiteral("Are you sure you want to move this message to the history?"),
            QStringLiteral("Move to History?"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
        != Dialogs::Answer::Yes)
        return;
    if (SaveGuard(m_state.dialogs()).beforeMove(changeOnDisk(), filn->text(), true)
        == SaveGuard::Way::Cancel)
        return;
    // The file on disk is moved; unsaved edits go with the window.
    if (!MessageFiles(m_state).moveToHistory(shownFile()))
        return;
    m_state.listRefresh();
    m_state.windows().unload(this);
}

void Form2::inbox_MouseUp()
{
    if (SaveGuard(m_state.dialogs()).beforeMove(changeOnDisk(), filn->text(), false)
        == SaveGuard::Way::Cancel)
        return;
    if (!MessageFiles(m_state).moveToInbox(shownFile()))
        return;
    m_state.listRefresh();
    m_state.windows().unload(this);
}

void Form2::exity_MouseUp()
{
    if (Text1->messageText() != m_state.referenceText) {
        const Dialogs::Answer answer = m_state.dialogs().messageBox(
            QStringLiteral("Save changes to '") + filn->text() + QLatin1Char('\''),
            QStringLiteral("Save Changes?"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo);
        // Cancelled in the guard's box: nothing written, and the window stays with the text.
        if (answer == Dialogs::Answer::Yes && !saveGuarded())
            return;
        hideMoveButtons();
        m_state.listRefresh();
    } else {
        hideMoveButtons();
    }
    m_state.windows().unload(this);
}

void Form2::hideMoveButtons()
{
    history->hide();
    historyp->hide();
    inbox->hide();
    inboxp->hide();
}

void Form2::closeEvent(QCloseEvent *event)
{
    // The window has no title bar; a close from the window manager (Alt+F4) is Exit, with its
    // prompt. Closes the program asks for itself go through.
    if (event->spontaneous() && m_state.windows().isLoaded(this)) {
        event->ignore();
        exity_MouseUp();
        return;
    }
    event->accept();
}
