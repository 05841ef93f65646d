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

#include <QAction>

namespace {

// The windows below app/ know only the state; the main window's own know the registry.
template<typename Window, typename Owner> Window &load(QPointer<Window> &slot, Owner &owner)
{
    if (!slot)
        slot = new Window(owner);
    return *slot;
}

// Unloading forgets the window at once, so the next touch builds a fresh one, and deletes it
// once the handler that asked for it has returned.
template<typename Window> void unloadSlot(QPointer<Window> &slot)
{
    if (Window *window = slot.data()) {
        slot = nullptr;
        window->hide();
        window->deleteLater();
    }
}

template<typename Window> bool holds(const QPointer<Window> &slot, const QWidget *window)
{
    return window && slot.data() == window;
}

// Showing a window that is already open brings it forward.
void showInFront(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

WindowRegistry::WindowRegistry(AppState &state)
    : m_state(state)
{
    Q_INIT_RESOURCE(notavo_pictures);
    state.setWindows(this);
}

WindowRegistry::~WindowRegistry()
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
    m_state.setWindows(nullptr);
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
    if (!m_form3)
        m_form3 = new Form3(m_state);
    return *m_form3;
}

Form2 &WindowRegistry::form2()
{
    return load(m_form2, m_state);
}
Form2 *WindowRegistry::form2IfLoaded() const
{
    return m_form2;
}
Form4 &WindowRegistry::form4()
{
    if (m_form4)
        return *m_form4;
    auto *browser = new Form4(m_state);
    // Registered before its load routine runs: that may open a box, and whatever touches the
    // browser meanwhile (a timer tick) must find this one, not build a second. Whoever loaded
    // it goes on only after the box, so its own boxes come second.
    m_form4 = browser;
    browser->Form_Load();
    return *browser;
}
Form4 *WindowRegistry::form4IfLoaded() const
{
    return m_form4;
}
Form5 &WindowRegistry::form5()
{
    return load(m_form5, m_state);
}
Form5 *WindowRegistry::form5IfLoaded() const
{
    return m_form5;
}
newmes &WindowRegistry::compose()
{
    return load(m_newmes, m_state);
}
newmes *WindowRegistry::composeIfLoaded() const
{
    return m_newmes;
}
void WindowRegistry::followAutoTime()
{
    compose().followAutoTime();
    form8().mnuAutoTime->setChecked(m_state.autoTime());
}

usopt &WindowRegistry::userOptions()
{
    return load(m_usopt, m_state);
}
usopt *WindowRegistry::userOptionsIfLoaded() const
{
    return m_usopt;
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
    form4().File1->refresh();
}

void WindowRegistry::setBrowserPattern(const QString &pattern)
{
    if (m_form4)
        m_form4->File1->setPattern(pattern);
}

void WindowRegistry::showMessage(const QString &folder, const QString &name, const QString &text)
{
    form2().showMessage(folder, name, text);
}

void WindowRegistry::showLogin()
{
    showInFront(form5());
}

void WindowRegistry::showUserOptions()
{
    showInFront(userOptions());
}

bool WindowRegistry::isLoaded(const QWidget *window) const
{
    return holds(m_form2, window) || holds(m_form4, window) || holds(m_form5, window)
        || holds(m_newmes, window) || holds(m_usopt, window) || holds(m_form6, window)
        || holds(m_form7, window) || holds(m_about, window);
}

void WindowRegistry::unload(QWidget *window)
{
    if (holds(m_form2, window))
        unloadSlot(m_form2);
    else if (holds(m_form4, window))
        unloadSlot(m_form4);
    else if (holds(m_form5, window))
        unloadSlot(m_form5);
    else if (holds(m_newmes, window))
        unloadSlot(m_newmes);
    else if (holds(m_usopt, window))
        unloadSlot(m_usopt);
    else if (holds(m_form6, window))
        unloadSlot(m_form6);
    else if (holds(m_form7, window))
        unloadSlot(m_form7);
    else if (holds(m_about, window))
        unloadSlot(m_about);
    else if (window)
        window->hide();
}

Form6 &WindowRegistry::form6()
{
    return load(m_form6, *this);
}
Form6 *WindowRegistry::form6IfLoaded() const
{
    return m_form6;
}
Form7 &WindowRegistry::form7()
{
    return load(m_form7, *this);
}
Form7 *WindowRegistry::form7IfLoaded() const
{
    return m_form7;
}
Form8 &WindowRegistry::form8()
{
    return load(m_form8, *this);
}
about &WindowRegistry::aboutWindow()
{
    return load(m_about, *this);
}
about *WindowRegistry::aboutIfLoaded() const
{
    return m_about;
}
