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
    // Re-reads the browser's list, loading the browser when it is not.
    virtual void refreshBrowser() = 0;
    // A loaded browser lists pattern from now on; one loaded later opens on the slot's own.
    virtual void setBrowserPattern(const QString &pattern) = 0;

    // The viewer, loaded with text read from the message name in folder, in front.
    virtual void showMessage(const QString &folder, const QString &name, const QString &text) = 0;

    // The login and the account window, in front (as they were when already open).
    virtual void showLogin() = 0;
    virtual void showUserOptions() = 0;

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
