#include "AppState.h"

#include "Form1.h"
#include "Form3.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "about.h"
#include "accounts/Form5.h"
#include "accounts/usopt.h"
#include "fs/FileList.h"
#include "fs/PathFunctions.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/newmes.h"
#include "widgets/FileListBox.h"

#include <QCoreApplication>
#include <QLabel>

namespace {

template<typename Window> Window &load(QPointer<Window> &slot, AppState &state)
{
    if (!slot)
        slot = new Window(state);
    return *slot;
}

// Unloading forgets the window at once, so the next touch builds a fresh one, and deletes it
// once the handler that asked for it has returned.
template<typename Window> void unload(QPointer<Window> &slot)
{
    if (Window *window = slot.data()) {
        slot = nullptr;
        window->hide();
        window->deleteLater();
    }
}

} // namespace

AppState::AppState(const QString &dataFolder, Platform &platform)
    : m_dataFolder(dataFolder)
    , m_platform(platform)
{
    Q_INIT_RESOURCE(notavo_pictures);
    // Leaving every event loop (a modal box's too) ends the program without a close event.
    quitProgram = [] {
        QCoreApplication::exit(0);
    };
}

QString AppState::defaultExecutableName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Notavo.exe");
#else
    return QStringLiteral("Notavo");
#endif
}

AppState::~AppState()
{
    delete m_form2;
    delete m_form4;
    delete m_form5;
    delete m_form6;
    delete m_form7;
    delete m_form8;
    delete m_about;
    delete m_newmes;
    delete m_usopt;
    delete m_form3;
}

QString AppState::historyFolder() const
{
    return AddBackslash(AddBackslash(m_dataFolder) + QStringLiteral("History"));
}

QString AppState::dataFile(const QString &name) const
{
    return AddBackslash(m_dataFolder) + name;
}

Dialogs &AppState::dialogs()
{
    return m_platform.dialogs;
}

bool AppState::autoRetrieveOn() const
{
    return m_form1 && m_form1->autret->text() == QLatin1String("X");
}

void AppState::listRefresh()
{
    form3().File1->refresh();
    form3().File2->refresh();
    if (autoRetrieveOn())
        form4().File1->refresh();
}

void AppState::setForm1(Form1 *form)
{
    m_form1 = form;
}

Form3 &AppState::form3()
{
    if (!m_form3)
        m_form3 = new Form3(*this);
    return *m_form3;
}

Form2 &AppState::form2()
{
    return load(m_form2, *this);
}
void AppState::unloadForm2()
{
    unload(m_form2);
}
Form4 &AppState::form4()
{
    if (m_form4)
        return *m_form4;
    auto *browser = new Form4(*this);
    // Registered before its load routine runs: that may open a box, and whatever touches the
    // browser meanwhile (a timer tick) must find this one, not build a second. Whoever loaded
    // it goes on only after the box, so its own boxes come second.
    m_form4 = browser;
    browser->Form_Load();
    return *browser;
}
void AppState::unloadForm4()
{
    unload(m_form4);
}
Form5 &AppState::form5()
{
    return load(m_form5, *this);
}
void AppState::unloadForm5()
{
    unload(m_form5);
}
Form6 &AppState::form6()
{
    return load(m_form6, *this);
}
void AppState::unloadForm6()
{
    unload(m_form6);
}
Form7 &AppState::form7()
{
    return load(m_form7, *this);
}
void AppState::unloadForm7()
{
    unload(m_form7);
}
Form8 &AppState::form8()
{
    return load(m_form8, *this);
}
about &AppState::aboutWindow()
{
    return load(m_about, *this);
}
void AppState::unloadAbout()
{
    unload(m_about);
}
newmes &AppState::compose()
{
    return load(m_newmes, *this);
}
void AppState::unloadCompose()
{
    unload(m_newmes);
}
usopt &AppState::userOptions()
{
    return load(m_usopt, *this);
}
void AppState::unloadUserOptions()
{
    unload(m_usopt);
}

Form1 *AppState::form1() const
{
    return m_form1;
}

Form2 *AppState::form2IfLoaded() const
{
    return m_form2;
}

Form4 *AppState::form4IfLoaded() const
{
    return m_form4;
}

Form5 *AppState::form5IfLoaded() const
{
    return m_form5;
}

Form6 *AppState::form6IfLoaded() const
{
    return m_form6;
}

Form7 *AppState::form7IfLoaded() const
{
    return m_form7;
}

about *AppState::aboutIfLoaded() const
{
    return m_about;
}

newmes *AppState::composeIfLoaded() const
{
    return m_newmes;
}

usopt *AppState::userOptionsIfLoaded() const
{
    return m_usopt;
}
