#include "Form4.h"

#include "ButtonRow.h"
#include "MessageFiles.h"
#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Dialogs.h"
#include "fs/FileList.h"
#include "fs/FolderPoller.h"
#include "fs/PathFunctions.h"
#include "store/NamedMessage.h"
#include "store/SlotTable.h"
#include "store/Store.h"
#include "widgets/FileListBox.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCloseEvent>

namespace {

// The browser's list changes on a re-read only; between re-reads the poller need not list it.
constexpr int BrowserPollIntervalMs = 2000;

const char *const ActiveTab = ":/pictures/tab-active.svg";
const char *const InactiveTab = ":/pictures/tab-inactive.svg";

PictureButton *tab(QWidget *parent, const char *name, const QString &caption, const QRect &rect,
                   bool active)
{
    auto *button = new PictureButton(QLatin1String(name), caption, parent,
                                     QLatin1String(active ? ActiveTab : InactiveTab));
    button->setGeometry(rect);
    if (active) {
        // The active tab is only a picture; the inactive one is what the user clicks.
        button->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::ArrowCursor);
    }
    return button;
}

// The hourglass while a message is read, however the read ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

Form4::Form4(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    FixedWindow::setUp(this,
                       { "Form4", QStringLiteral("History"), twipsSize(4560, 4005),
                         QStringLiteral(":/pictures/background-viewer.svg") });

    File1 = new FileListBox(QStringLiteral("File1"), this);
    // On a share the list is read off the windows' thread: the browser opens at once, also
    // while the share's server does not answer, and fills its list when it does.
    File1->list().setPoller(&m_state.poller(), BrowserPollIntervalMs);
    File1->setGeometry(twips(120, 120, 4335, 2820));
    File1->setAccessibleName(tr("Messages"));
    File1->setStyleSheet(Palette::style(
        QStringLiteral("QListWidget { color: $screen; background-color: $screenground; }"
                       "QListWidget::item:selected { color: $white;"
                       " background-color: $teal; }")));

    inbred = tab(this, "inbred", tr("Inbox"), twips(120, 3000, 2100, 435), true);
    inblur = tab(this, "inblur", tr("Inbox"), twips(120, 3000, 2100, 435), false);
    hisred = tab(this, "hisred", tr("History"), twips(2280, 3000, 2205, 435), true);
    hisblur = tab(this, "hisblur", tr("History"), twips(2280, 3000, 2205, 435), false);
    inblur->setToolTip(tr("Show the inbox"));
    hisblur->setToolTip(tr("Show the history"));

    ButtonRow row(this);
    exity = row.add("exity", tr("Exit"), 135, tr("Close the browser"));
    exitp = exity->twin();
    exitp->setObjectName(QStringLiteral("exitp"));
    history = row.add("history", tr("History"), 1005, tr("Send message to history"));
    historyp = history->twin();
    inbox = row.add("inbox", tr("Inbox"), 1005, tr("Send message to inbox"));
    inboxp = inbox->twin();
    rename = row.add("rename", tr("Rename"), 1875, tr("Rename this message"));
    renamep = rename->twin();
    dely = row.add("dely", tr("Delete"), 2745, tr("Delete this message"));
    delp = dely->twin();
    delp->setObjectName(QStringLiteral("delp"));
    openy = row.add("openy", tr("Open"), 3615, tr("Open this message"));
    openp = openy->twin();
    openp->setObjectName(QStringLiteral("openp"));

    connect(hisblur, &PictureButton::mouseDown, this, &Form4::hisblur_MouseDown);
    connect(hisblur, &PictureButton::mouseUp, this, &Form4::hisblur_MouseUp);
    connect(inblur, &PictureButton::mouseDown, this, &Form4::inblur_MouseDown);
    connect(inblur, &PictureButton::mouseUp, this, &Form4::inblur_MouseUp);
    connect(openy, &PictureButton::mouseUp, this, &Form4::openy_MouseUp);
    connect(rename, &PictureButton::mouseUp, this, &Form4::rename_MouseUp);
    connect(dely, &PictureButton::mouseUp, this, &Form4::dely_MouseUp);
    connect(history, &PictureButton::mouseUp, this, &Form4::history_MouseUp);
    connect(inbox, &PictureButton::mouseUp, this, &Form4::inbox_MouseUp);
    connect(exity, &PictureButton::mouseUp, this, &Form4::exity_MouseUp);

    // The browser starts on the History folder, so it starts showing the History view. The
    // load routine runs once the window is registered (WindowRegistry::form4()).
    showHistoryView();
}

void Form4::Form_Load()
{
    if (File1->setPath(m_state.historyFolder()))
        return;
    m_state.dialogs().messageBox(MessageFiles::historyMissingText(m_state.historyFolder()),
                                 Dialogs::applicationTitle(), Dialogs::Icon::None);
}

void Form4::showInboxView()
{
    inbred->show();
    inblur->hide();
    hisblur->show();
    hisred->hide();
    history->show();
    inbox->hide();
    inboxp->hide();
}

void Form4::showHistoryView()
{
    hisred->show();
    hisblur->hide();
    inblur->show();
    inbred->hide();
    history->hide();
    historyp->hide();
    inbox->show();
}

void Form4::showBrowser()
{
    FixedWindow::showInFront(this);
}

void Form4::applySlotPattern()
{
    // The default user keeps the pattern it has ("*.msg", or the one login set).
    const Slot *slot = SlotTable::bySlotCode(m_state.slotCode());
    if (slot && slot->slotCode != SlotTable::defaultSlot().slotCode)
        File1->setPattern(slot->filePattern);
}

void Form4::OpenInbox()
{
    showInboxView();
    if (!File1->setPath(m_state.dataFolder()))
        m_state.dialogs().messageBox(QStringLiteral("Could not find inbox"),
                                     QStringLiteral("Inbox Missing"), Dialogs::Icon::Exclamation);
    if (m_state.autoRetrieve())
        File1->refresh();
    showBrowser();
    applySlotPattern();
}

void Form4::OpenHistory()
{
    showHistoryView();
    if (!File1->setPath(m_state.historyFolder()))
        m_state.dialogs().messageBox(QStringLiteral("Could not find history"),
                                     QStringLiteral("History Missing"), Dialogs::Icon::Exclamation);
    if (m_state.autoRetrieve())
        File1->refresh();
    showBrowser();
    applySlotPattern();
}

void Form4::hisblur_MouseDown()
{
    if (!hisred->isHidden())
        return;
    // The tab under the pointer stays shown (covered by the active one) until the release, so
    // the release still reaches it; hiding it now would lose the mouse grab.
    hisred->show();
    hisred->raise();
    inblur->show();
    inbred->hide();
    history->hide();
    historyp->hide();
    inbox->show();
}

void Form4::hisblur_MouseUp()
{
    if (!hisred->isHidden())
        hisblur->hide();
    if (!File1->setPath(m_state.historyFolder()))
        m_state.dialogs().messageBox(QStringLiteral("Could not find history folder"),
                                     QStringLiteral("History Missing"), Dialogs::Icon::Exclamation);
}

void Form4::inblur_MouseDown()
{
    if (!inbred->isHidden())
        return;
    inbred->show();
    inbred->raise();
    hisblur->show();
    hisred->hide();
    history->show();
    inbox->hide();
    inboxp->hide();
}

void Form4::inblur_MouseUp()
{
    if (!inbred->isHidden())
        inblur->hide();
    if (!File1->setPath(m_state.dataFolder()))
        m_state.dialogs().messageBox(QStringLiteral("Could not find inbox"),
                                     QStringLiteral("Inbox Missing"), Dialogs::Icon::Exclamation);
}

QString Form4::selectedPath() const
{
    const QString name = File1->fileName();
    return name.isEmpty() ? QString() : AddBackslash(File1->path()) + name;
}

void Form4::openy_MouseUp()
{
    const QString name = File1->fileName();
    if (name.isEmpty())
        return;
    const QString folder = File1->path();
    QString text;
    StoreResult read;
    {
        WaitCursor wait;
        read = Store::readWholeFile(AddBackslash(folder) + name, &text);
    }
    if (!read.ok()) {
        // Someone else moved or replaced it since the list was read: say so, and bring the
        // list up to date.
        MessageFiles(m_state).report(read, tr("Cannot Open"));
        File1->refresh();
        return;
    }
    WaitCursor wait;
    m_state.windows().showMessage(folder, name, text);
}

void Form4::rename_MouseUp()
{
    const QString source = selectedPath();
    if (source.isEmpty())
        return;
    QString text;
    if (!MessageFiles(m_state).read(source, &text, tr("Cannot Rename"))) {
        File1->refresh();
        return;
    }
    const QString answer = m_state.dialogs().inputBox(
        QStringLiteral("Please enter new message name."), QStringLiteral("Rename Message"));
    if (answer.isEmpty())
        return;
    // The same name rule as Save As. The file is read again now: a save made while the box
    // was open goes with it.
    bool readFailed = false;
    const StoreResult renamed = Store::renameToNamedMessage(source, File1->path(), answer,
                                                            m_state.slotCode(), &readFailed);
    if (readFailed || renamed.error == StoreResult::Error::NotRemoved) {
        MessageFiles(m_state).report(renamed, tr("Cannot Rename"));
    } else if (!renamed.ok()) {
        m_state.dialogs().messageBox(QStringLiteral("Invalid message name."),
                                     QStringLiteral("Invalid"), Dialogs::Icon::Exclamation);
        return;
    }
    File1->refresh();
}

void Form4::dely_MouseUp()
{
    const QString name = File1->fileName();
    if (name.isEmpty())
        return;
    const QString path = AddBackslash(File1->path()) + name;
    if (m_state.dialogs().messageBox(
            QStringLiteral("Are you sure you want to delete '") + name + QStringLiteral("'?"),
            QStringLiteral("Delete Message?"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
        != Dialogs::Answer::Yes)
        return;
    Store::deleteMessage(path);
    File1->refresh();
}

void Form4::history_MouseUp()
{
    const QString source = selectedPath();
    if (source.isEmpty())
        return;
    if (!MessageFiles(m_state).moveToHistory(source)) {
        File1->refresh();
        return;
    }
    m_state.inboxList().refresh();
    m_state.historyList().refresh();
    File1->refresh();
}

void Form4::inbox_MouseUp()
{
    const QString source = selectedPath();
    if (source.isEmpty())
        return;
    const bool moved = MessageFiles(m_state).moveToInbox(source);
    File1->refresh();
    if (!moved)
        return;
    m_state.inboxList().refresh();
    m_state.historyList().refresh();
}

void Form4::exity_MouseUp()
{
    m_state.windows().unload(this);
}

void Form4::closeEvent(QCloseEvent *event)
{
    // No title bar: a close from the window manager is Exit.
    if (event->spontaneous() && m_state.windows().isLoaded(this)) {
        event->ignore();
        exity_MouseUp();
        return;
    }
    event->accept();
}
