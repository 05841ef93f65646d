#pragma once

#include "desktop/Platform.h"

#include <QPointer>
#include <QString>

#include <functional>

class Dialogs;
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

// The one process-wide record every window shares, and the registry of the windows: a window
// is created the first time it is touched and unloaded (deleted) when it closes, so every
// opening starts from its design state.
class AppState
{
public:
    AppState(const QString &dataFolder, Platform &platform);
    ~AppState();
    AppState(const AppState &) = delete;
    AppState &operator=(const AppState &) = delete;

    // The data folder exactly as the system reports it (no separator added).
    QString dataFolder() const { return m_dataFolder; }
    // AddBackslash(data folder) + "History" + separator.
    QString historyFolder() const;
    // AddBackslash(data folder) + name.
    QString dataFile(const QString &name) const;

    Platform &platform() { return m_platform; }
    Dialogs &dialogs();

    // Slot code of the logged-in slot: "d" or "1".."6".
    QString SlotCode = QStringLiteral("d");
    // Which windows to show again when the program leaves the background: "yes", "no" or "".
    QString Form2WasShown;
    QString Form3WasShown;
    QString Form4WasShown;
    QString Form5WasShown;
    // The message text last loaded into or saved from the viewer: its only record of edits.
    QString referenceText;

    // File name of the program in the data folder, the target of the start-up shortcut.
    // main() sets the real name; tests keep the default.
    QString executableName = defaultExecutableName();
    static QString defaultExecutableName();

    // Ends the program at once, without asking any window and without saving anything.
    // Tests replace it to watch the close dialog's quit without dying.
    std::function<void()> quitProgram;

    // The desktop session is ending (logout, shutdown): windows close without asking.
    bool sessionEnding = false;

    // Auto Retrieve is on while the main window's autret mark reads "X".
    bool autoRetrieveOn() const;

    // Re-reads the counting lists (Form3's File1, then File2), then, only while Auto Retrieve
    // is on, the browser's list.
    void listRefresh();

    // The main window, owned by the caller (main() or a test).
    Form1 *form1() const;
    void setForm1(Form1 *form);

    // The hidden window with the two counting lists; lives as long as the state.
    Form3 &form3();

    // Windows created on first touch. *IfLoaded() returns nullptr when not loaded.
    Form2 &form2();
    Form2 *form2IfLoaded() const;
    void unloadForm2();
    Form4 &form4();
    Form4 *form4IfLoaded() const;
    void unloadForm4();
    Form5 &form5();
    Form5 *form5IfLoaded() const;
    void unloadForm5();
    Form6 &form6();
    Form6 *form6IfLoaded() const;
    void unloadForm6();
    Form7 &form7();
    Form7 *form7IfLoaded() const;
    void unloadForm7();
    Form8 &form8();
    about &aboutWindow();
    about *aboutIfLoaded() const;
    void unloadAbout();
    newmes &compose();
    newmes *composeIfLoaded() const;
    void unloadCompose();
    usopt &userOptions();
    usopt *userOptionsIfLoaded() const;
    void unloadUserOptions();

private:
    QString m_dataFolder;
    Platform &m_platform;
    QPointer<Form1> m_form1;
    Form3 *m_form3 = nullptr;
    QPointer<Form2> m_form2;
    QPointer<Form4> m_form4;
    QPointer<Form5> m_form5;
    QPointer<Form6> m_form6;
    QPointer<Form7> m_form7;
    QPointer<Form8> m_form8;
    QPointer<about> m_about;
    QPointer<newmes> m_newmes;
    QPointer<usopt> m_usopt;
};
