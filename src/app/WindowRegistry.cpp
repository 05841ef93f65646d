#include "WindowRegistry.h"

#include "Form1.h"
#include "Form3.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "about.h"
#include "accounts/Form5.h"
#include "accounts/usopt.h"
#include "core/AppState.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/newmes.h"
#include "widgets/FileListBox.h"
#include "widgets/FixedWindow.h"

#include <QAction>

WindowRegistry::WindowRegistry(AppState &state)
    : m_state(state)
{
    Q_INIT_RESOURCE(notavo_pictures);
    m_slots[Menu].unloads = false;
    m_slots[CountingLists].unloads = false;
    state.setWindows(this);
}

WindowRegistry::~WindowRegistry()
{
    for (Slot &slot : m_slots)
        delete slot.window.data();
    m_state.setWindows(nullptr);
}

template<typename Window> Window *WindowRegistry::loaded(Entry entry) const
{
    return static_cast<Window *>(m_slots[entry].window.data());
}

// The windows below app/ know only the state; the main window's own know the registry.
template<typename Window, typename Owner> Window &WindowRegistry::load(Entry entry, Owner &owner)
{
    QPointer<QWidget> &slot = m_slots[entry].window;
    if (!slot)
        slot = new Window(owner);
    return *static_cast<Window *>(slot.data());
}

Form1 *WindowRegistry::form1() const
{
    return m_form1;
}

void WindowRegistry::setForm1(Form1 *form)
{
    m_form1 = form;
}

Form3 &WindowRegistry::form3()
{
    return load<Form3>(CountingLists, m_state);
}

Form2 &WindowRegistry::form2()
{
    return load<Form2>(Viewer, m_state);
}
Form2 *WindowRegistry::form2IfLoaded() const
{
    return loaded<Form2>(Viewer);
}
Form4 &WindowRegistry::form4()
{
    if (Form4 *browser = form4IfLoaded())
        return *browser;
    auto *browser = new Form4(m_state);
    // Registered before its load routine runs: that may open a box, and whatever touches the
    // browser meanwhile (a timer tick) must find this one, not build a second. Whoever loaded
    // it goes on only after the box, so its own boxes come second.
    m_slots[Browser].window = browser;
    browser->Form_Load();
    return *browser;
}
Form4 *WindowRegistry::form4IfLoaded() const
{
    return loaded<Form4>(Browser);
}
Form5 &WindowRegistry::form5()
{
    return load<Form5>(Login, m_state);
}
Form5 *WindowRegistry::form5IfLoaded() const
{
    return loaded<Form5>(Login);
}
newmes &WindowRegistry::compose()
{
    return load<newmes>(Compose, m_state);
}
newmes *WindowRegistry::composeIfLoaded() const
{
    return loaded<newmes>(Compose);
}
void WindowRegistry::followAutoTime()
{
    compose().followAutoTime();
    form8().mnuAutoTime->setChecked(m_state.autoTime());
}

usopt &WindowRegistry::userOptions()
{
    return load<usopt>(UserOptions, m_state);
}
usopt *WindowRegistry::userOptionsIfLoaded() const
{
    return loaded<usopt>(UserOptions);
}
void WindowRegistry::openInbox()
{
    form4().OpenInbox();
}

void WindowRegistry::openHistory()
{
    form4().OpenHistory();
}

void WindowRegistry::refreshBrowser()
{
    if (Form4 *browser = form4IfLoaded())
        browser->File1->refresh();
}

void WindowRegistry::setBrowserPattern(const QString &pattern)
{
    if (Form4 *browser = form4IfLoaded())
        browser->File1->setPattern(pattern);
}

void WindowRegistry::showMessage(const QString &folder, const QString &name, const QString &text)
{
    form2().showMessage(folder, name, text);
}

void WindowRegistry::showLogin()
{
    FixedWindow::showInFront(&form5());
}

void WindowRegistry::showUserOptions()
{
    FixedWindow::showInFront(&userOptions());
}

void WindowRegistry::showCompose()
{
    newmes &window = compose();
    window.clearFields();
    FixedWindow::showInFront(&window);
    // A freshly built compose window starts with its clock off: let Auto Time set it now.
    followAutoTime();
}

void WindowRegistry::showAbout()
{
    FixedWindow::showInFront(&aboutWindow());
}

void WindowRegistry::showCloseDialog()
{
    FixedWindow::showInFront(&form6());
}

void WindowRegistry::enterBackground(BackgroundRoute route)
{
    if (m_form1)
        m_form1->EnterBackground(route);
}

bool WindowRegistry::isLoaded(const QWidget *window) const
{
    if (!window)
        return false;
    for (const Slot &slot : m_slots) {
        if (slot.window.data() == window)
            return true;
    }
    return false;
}

void WindowRegistry::unload(QWidget *window)
{
    if (!window)
        return;
    for (Slot &slot : m_slots) {
        if (slot.unloads && slot.window.data() == window) {
            // Forgotten at once, so the next touch builds a fresh one; deleted once the
            // handler that asked for it has returned.
            slot.window = nullptr;
            window->hide();
            window->deleteLater();
            return;
        }
    }
    window->hide();
}

Form6 &WindowRegistry::form6()
{
    return load<Form6>(CloseDialog, *this);
}
Form6 *WindowRegistry::form6IfLoaded() const
{
    return loaded<Form6>(CloseDialog);
}
Form7 &WindowRegistry::form7()
{
    return load<Form7>(Splash, *this);
}
Form7 *WindowRegistry::form7IfLoaded() const
{
    return loaded<Form7>(Splash);
}
Form8 &WindowRegistry::form8()
{
    return load<Form8>(Menu, m_state);
}
about &WindowRegistry::aboutWindow()
{
    return load<about>(About, *this);
}
about *WindowRegistry::aboutIfLoaded() const
{
    return loaded<about>(About);
}
