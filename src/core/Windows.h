#pragma once

#include <QString>

class QWidget;

// What one window may ask of the others: verbs, each done in one place (app/WindowRegistry,
// which owns every window). A window asks for a result ("show this message"), never for
// another window, so it knows no other window's controls and no window header but its own.
// A window is built the first time a verb needs it and unloaded when it closes, so every
// opening starts from its design state.
class Windows
{
public:
    virtual ~Windows() = default;

    // The browser, brought to the front on the inbox or on the History folder.
    virtual void openInbox() = 0;
    virtual void openHistory() = 0;
    // Re-reads a loaded browser's list. A browser not loaded is not built for it: it reads its
    // folder when it is.
    virtual void refreshBrowser() = 0;
    // A loaded browser lists pattern from now on; one loaded later opens on the slot's own.
    virtual void setBrowserPattern(const QString &pattern) = 0;

    // The viewer, loaded with text read from the message name in folder, in front.
    virtual void showMessage(const QString &folder, const QString &name, const QString &text) = 0;

    // The login and the account window, in front (as they were when already open).
    virtual void showLogin() = 0;
    virtual void showUserOptions() = 0;

    // The compose window with its fields emptied, in front, its clock following Auto Time.
    virtual void showCompose() = 0;
    // The About window and the one close dialog, in front.
    virtual void showAbout() = 0;
    virtual void showCloseDialog() = 0;

    // The program to the background (the main window answers). The menu's route takes the
    // viewer, Form3, the browser and the login window along; the close dialog's only the
    // viewer and the browser.
    enum class BackgroundRoute { Menu, CloseDialog };
    virtual void enterBackground(BackgroundRoute route) = 0;

    // True while window is the loaded one of its kind (not one unloaded and waiting to go).
    virtual bool isLoaded(const QWidget *window) const = 0;
    // Unloads window: hidden now, deleted once the handler that asked has returned, and the
    // next request builds a fresh one. A window that is not the loaded one is only hidden.
    virtual void unload(QWidget *window) = 0;

protected:
    Windows() = default;
    Windows(const Windows &) = default;
    Windows &operator=(const Windows &) = default;
};
