#pragma once

#include <QWidget>

class AppState;
class QAction;
class QMenu;

// The hidden window that owns the program's one popup menu. It is never shown; the main window
// opens its menu at the mouse. The shortcut texts beside the items are labels only. A command
// asks for a result through the window verbs (the registry, or the main window through it) and
// switches an option in the state, whose checks follow; it touches no other window.
class Form8 : public QWidget
{
    Q_OBJECT
public:
    explicit Form8(AppState &state, QWidget *parent = nullptr);

    QMenu *mnu;
    QAction *mnuNewMessage;
    QMenu *mnuOpen;
    QAction *mnuInbox;
    QAction *mnuHistory;
    QAction *mnuBarLine1;
    QMenu *mnuOptions;
    QAction *mnuAutoTime;
    QAction *mnuAutoRet;
    QAction *mnuBar;
    QAction *mnuStartup;
    QAction *mnuBarLine2;
    QAction *mnuRuninBack;
    QAction *mnuBarLine4;
    QAction *mnuLog;
    QAction *mnuusopt;
    QMenu *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuBarLine3;
    QAction *mnuExit;

    // Shows mnu at a screen position and returns at once; a chosen item runs its handler.
    void popUp(const QPoint &globalPos);

    void mnuNewMessage_Click();
    void mnuInbox_Click();
    void mnuHistory_Click();
    void mnuAutoTime_Click();
    void mnuAutoRet_Click();
    void mnuStartup_Click();
    void mnuRuninBack_Click();
    void mnuLog_Click();
    void mnuusopt_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // The caption of an item without the shortcut text shown beside it.
    static QString caption(const QAction *item);

private:
    QAction *createItem(QMenu *menu, const char *name, const QString &caption,
                        const QString &shortcut);
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, const QString &shortcut,
                     void (Form8::*handler)());
    QAction *addCheckItem(QMenu *menu, const char *name, const QString &caption,
                          const QString &shortcut, void (Form8::*handler)());
    QAction *addSeparator(QMenu *menu, const char *name);
    QMenu *addSubmenu(QMenu *menu, const char *name, const QString &caption);

    AppState &m_state;
};
