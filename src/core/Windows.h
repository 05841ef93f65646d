#pragma once

#include <QString>

class Form2;
class Form4;
class Form5;
class newmes;
class usopt;

// How the viewer, browser, compose, login and account windows reach each other, without
// knowing the main window or the registry that owns them all (app/WindowRegistry). A window is
// built the first time it is touched and unloaded (deleted once the handler that asked has
// returned) when it closes, so every opening starts from its design state. *IfLoaded() returns
// nullptr when the window is not loaded.
class Windows
{
public:
    virtual ~Windows() = default;

    virtual Form2 &form2() = 0;
    virtual Form2 *form2IfLoaded() const = 0;
    virtual void unloadForm2() = 0;

    virtual Form4 &form4() = 0;
    virtual Form4 *form4IfLoaded() const = 0;
    virtual void unloadForm4() = 0;

    virtual Form5 &form5() = 0;
    virtual Form5 *form5IfLoaded() const = 0;
    virtual void unloadForm5() = 0;

    virtual newmes &compose() = 0;
    virtual newmes *composeIfLoaded() const = 0;
    virtual void unloadCompose() = 0;

    virtual usopt &userOptions() = 0;
    virtual usopt *userOptionsIfLoaded() const = 0;
    virtual void unloadUserOptions() = 0;

    // Re-reads the browser's list, loading the browser when it is not.
    virtual void refreshBrowser() = 0;
    // A loaded browser lists pattern from now on; one loaded later opens on the slot's own.
    virtual void setBrowserPattern(const QString &pattern) = 0;

protected:
    Windows() = default;
    Windows(const Windows &) = default;
    Windows &operator=(const Windows &) = default;
};
