#include "Form8.h"

#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Dialogs.h"
#include "store/Store.h"

#include <QAction>
#include <QMenu>

Form8::Form8(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form8"));

    mnu = new QMenu(QStringLiteral("mnu"), this);
    mnu->setObjectName(QStringLiteral("mnu"));

    mnuNewMessage = addItem(mnu, "mnuNewMessage", tr("&Compose Message"), QStringLiteral("Ctrl+N"),
                            &Form8::mnuNewMessage_Click);
    mnuOpen = addSubmenu(mnu, "mnuOpen", tr("&Open"));
    mnuInbox = addItem(mnuOpen, "mnuInbox", tr("&Inbox"), QString(), &Form8::mnuInbox_Click);
    mnuHistory
        = addItem(mnuOpen, "mnuHistory", tr("&History"), QString(), &Form8::mnuHistory_Click);
    mnuBarLine1 = addSeparator(mnu, "mnuBarLine1");

    mnuOptions = addSubmenu(mnu, "mnuOptions", tr("Options"));
    mnuAutoTime = addCheckItem(mnuOptions, "mnuAutoTime", tr("Auto &Time"),
                               QStringLiteral("Ctrl+A"), &Form8::mnuAutoTime_Click);
    mnuAutoRet = addCheckItem(mnuOptions, "mnuAutoRet", tr("Auto &Retrieve"),
                              QStringLiteral("Ctrl+R"), &Form8::mnuAutoRet_Click);
    mnuBar = addSeparator(mnuOptions, "mnuBar");
    mnuStartup = addCheckItem(mnuOptions, "mnuStartup", tr("&Run at Windows Startup"), QString(),
                              &Form8::mnuStartup_Click);
    mnuBarLine2 = addSeparator(mnuOptions, "mnuBarLine2");
    mnuRuninBack = addItem(mnuOptions, "mnuRuninBack", tr("&Run in Background"),
                           QStringLiteral("F9"), &Form8::mnuRuninBack_Click);
    mnuBarLine4 = addSeparator(mnuOptions, "mnuBarLine4");
    mnuLog = addItem(mnuOptions, "mnuLog", tr("&Log into Account"), QStringLiteral("Ctrl+L"),
                     &Form8::mnuLog_Click);
    mnuusopt
        = addItem(mnuOptions, "mnuusopt", tr("&User Options"), QString(), &Form8::mnuusopt_Click);

    mnuHelp = addSubmenu(mnu, "mnuHelp", tr("&Help"));
    mnuAbout
        = addItem(mnuHelp, "mnuAbout", tr("&About"), QStringLiteral("F1"), &Form8::mnuAbout_Click);
    mnuBarLine3 = addSeparator(mnu, "mnuBarLine3");
    mnuExit = addItem(mnu, "mnuExit", tr("&Exit"), QString(), &Form8::mnuExit_Click);

    // The checks follow the options, whoever switches them.
    mnuAutoTime->setChecked(m_state.autoTime());
    mnuAutoRet->setChecked(m_state.autoRetrieve());
    mnuStartup->setChecked(m_state.runAtStartup());
    connect(&m_state, &AppState::autoTimeChanged, mnuAutoTime, &QAction::setChecked);
    connect(&m_state, &AppState::autoRetrieveChanged, mnuAutoRet, &QAction::setChecked);
    connect(&m_state, &AppState::runAtStartupChanged, mnuStartup, &QAction::setChecked);
}

QAction *Form8::createItem(QMenu *menu, const char *name, const QString &caption,
                           const QString &shortcut)
{
    // Text after a tab is drawn as the item's shortcut, but binds no key: the menu's owner is
    // never active, so the keys are labels only.
    QAction *item
        = menu->addAction(shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut);
    item->setObjectName(QLatin1String(name));
    return item;
}

QAction *Form8::addItem(QMenu *menu, const char *name, const QString &caption,
                        const QString &shortcut, void (Form8::*handler)())
{
    QAction *item = createItem(menu, name, caption, shortcut);
    connect(item, &QAction::triggered, this, handler);
    return item;
}

QAction *Form8::addCheckItem(QMenu *menu, const char *name, const QString &caption,
                             const QString &shortcut, void (Form8::*handler)())
{
    QAction *item = createItem(menu, name, caption, shortcut);
    item->setCheckable(true);
    item->setChecked(true);
    // The handler decides from the mark as it was before the click, so undo the toggle the
    // menu has already made.
    connect(item, &QAction::triggered, this, [this, item, handler](bool checked) {
        item->setChecked(!checked);
        (this->*handler)();
    });
    return item;
}

QAction *Form8::addSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

QMenu *Form8::addSubmenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *submenu = menu->addMenu(caption);
    submenu->setObjectName(QLatin1String(name));
    submenu->menuAction()->setObjectName(QLatin1String(name));
    return submenu;
}

QString Form8::caption(const QAction *item)
{
    return item->text().section(QLatin1Char('\t'), 0, 0);
}

void Form8::popUp(const QPoint &globalPos)
{
    mnu->popup(globalPos);
}

void Form8::mnuNewMessage_Click()
{
    m_state.windows().showCompose();
}

void Form8::mnuInbox_Click()
{
    m_state.windows().openInbox();
}

void Form8::mnuHistory_Click()
{
    m_state.windows().openHistory();
}

void Form8::mnuAutoTime_Click()
{
    // The check, the main window's mark and the compose clock follow the option.
    m_state.setAutoTime(!m_state.autoTime());
}

void Form8::mnuAutoRet_Click()
{
    // The check, the main window's mark and its polling timers follow the option.
    m_state.setAutoRetrieve(!m_state.autoRetrieve());
}

void Form8::mnuStartup_Click()
{
    // The shortcut follows at the next start.
    const bool on = !m_state.runAtStartup();
    const StoreResult written
        = Store::writeSingleValue(m_state.dataFile(QStringLiteral("st.kfl")),
                                  on ? QStringLiteral("yes") : QStringLiteral("no"));
    if (!written.ok()) {
        // The file keeps its old value, and so does the option.
        m_state.dialogs().messageBox(written.describe(), Dialogs::applicationTitle(),
                                     Dialogs::Icon::Exclamation);
        return;
    }
    m_state.setRunAtStartup(on);
}

void Form8::mnuRuninBack_Click()
{
    m_state.windows().enterBackground(Windows::BackgroundRoute::Menu);
}

void Form8::mnuLog_Click()
{
    m_state.windows().showLogin();
}

void Form8::mnuusopt_Click()
{
    m_state.windows().showUserOptions();
}

void Form8::mnuAbout_Click()
{
    m_state.windows().showAbout();
}

void Form8::mnuExit_Click()
{
    m_state.windows().showCloseDialog();
}
