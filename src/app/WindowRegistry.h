#pragma once

#include "core/Windows.h"

#include <QPointer>

#include <array>

class AppState;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;
class Form8;
class about;
class newmes;
class usopt;

// The one owner of every window but the main one (which main() or a test owns): a window is
// created the first time it is touched and unloaded (deleted) when it closes. The windows
// below app/ see it only as the Windows verbs; the main window and its dialogs use all of it.
class WindowRegistry : public Windows
{
public:
    explicit WindowRegistry(AppState &state);
    ~WindowRegistry() override;
    WindowRegistry(const WindowRegistry &) = delete;
    WindowRegistry &operator=(const WindowRegistry &) = delete;

    AppState &state() { return m_state; }

    // The main window, owned by the caller (main() or a test).
    Form1 *form1() const;
    void setForm1(Form1 *form);

    // The hidden window that names the two counting lists; lives as long as the registry.
    Form3 &form3();

    // The windows the verbs work on; the main window and its dialogs also use them directly.
    Form2 &form2();
    Form2 *form2IfLoaded() const;
    Form4 &form4();
    Form4 *form4IfLoaded() const;
    Form5 &form5();
    Form5 *form5IfLoaded() const;
    newmes &compose();
    newmes *composeIfLoaded() const;
    usopt &userOptions();
    usopt *userOptionsIfLoaded() const;

    void openInbox() override;
    void openHistory() override;
    void refreshBrowser() override;
    void setBrowserPattern(const QString &pattern) override;
    void showMessage(const QString &folder, const QString &name, const QString &text) override;
    void showLogin() override;
    void showUserOptions() override;
    void showCompose() override;
    void showAbout() override;
    void showCloseDialog() override;
    void enterBackground(BackgroundRoute route) override;
    bool isLoaded(const QWidget *window) const override;
    void unload(QWidget *window) override;

    Form6 &form6();
    Form6 *form6IfLoaded() const;
    Form7 &form7();
    Form7 *form7IfLoaded() const;
    Form8 &form8();
    // The compose window's clock and the menu's check follow Auto Time (the main window's
    // Timer4). The one place a window is built unasked: the compose window, hidden, the first
    // time its clock is consulted, so its clock runs before it is first shown.
    void followAutoTime();
    about &aboutWindow();
    about *aboutIfLoaded() const;

private:
    // Every window the registry owns has one entry here, and the destructor, isLoaded and
    // unload walk this table: a window added to it closes as every other does. Deleted in
    // this order; the counting lists' window last.
    enum Entry {
        Viewer,
        Browser,
        Login,
        CloseDialog,
        Splash,
        Menu,
        About,
        Compose,
        UserOptions,
        CountingLists,
        EntryCount
    };
    struct Slot
    {
        QPointer<QWidget> window;
        // The menu and the counting lists' window live as long as the registry.
        bool unloads = true;
    };
    template<typename Window> Window *loaded(Entry entry) const;
    template<typename Window, typename Owner> Window &load(Entry entry, Owner &owner);

    AppState &m_state;
    QPointer<Form1> m_form1;
    std::array<Slot, EntryCount> m_slots;
};
