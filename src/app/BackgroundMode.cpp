#include "BackgroundMode.h"

#include "Form3.h"
#include "Form7.h"
#include "WindowRegistry.h"
#include "accounts/Form5.h"
#include "core/AppState.h"
#include "desktop/Dialogs.h"
#include "desktop/Glint.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "widgets/FixedWindow.h"

#include <QEvent>
#include <QWidget>

namespace {

// Records whether a window is shown and hides it; a window not loaded counts as not shown.
bool takeShown(QWidget *window)
{
    if (!window)
        return false;
    const bool shown = window->isVisible();
    window->hide();
    return shown;
}

} // namespace

BackgroundMode::BackgroundMode(QWidget &window, Glint &icon, WindowRegistry &windows,
                               AppState &state)
    : QObject(&window)
    , m_window(window)
    , m_icon(icon)
    , m_windows(windows)
    , m_state(state)
{
    window.installEventFilter(this);
}

bool BackgroundMode::trayAvailable() const
{
    return m_state.platform().tray.isSystemTrayAvailable();
}

void BackgroundMode::announce()
{
    const QString text = trayAvailable()
        ? QStringLiteral("Notavo will now run in background. To open, double click on the icon "
                         "in your system tray.")
        // Not every desktop has a task bar (GNOME has none), but every one lists its windows.
        : QStringLiteral("Notavo will now run in background. To open, switch to the Notavo 3.0 "
                         "window in your list of open windows (Alt+Tab).");
    m_state.dialogs().messageBox(text, QStringLiteral("Notavo"), Dialogs::Icon::Exclamation);
}

void BackgroundMode::leaveScreen()
{
    // Without a tray there is no icon to come back through: keep the window among the
    // desktop's open windows.
    if (trayAvailable()) {
        m_window.hide();
        m_mode = Mode::Hidden;
    } else {
        m_mode = Mode::Minimized;
        m_window.showMinimized();
    }
}

void BackgroundMode::enter(Route route)
{
    announce();
    leaveScreen();
    AppState::RestoreFlags flags = m_state.restoreFlags();
    flags.Form2WasShown = takeShown(m_windows.form2IfLoaded());
    // The login window and Form3 stay as they are on the close dialog's route.
    if (route == Route::Menu)
        flags.Form3WasShown = takeShown(&m_windows.form3());
    flags.Form4WasShown = takeShown(m_windows.form4IfLoaded());
    if (route == Route::Menu)
        flags.Form5WasShown = takeShown(m_windows.form5IfLoaded());
    m_state.setRestoreFlags(flags);
    m_icon.setInTray(true);
}

void BackgroundMode::leave()
{
    m_mode = Mode::No;
    comeToFront();

    const AppState::RestoreFlags flags = m_state.restoreFlags();
    if (flags.Form2WasShown)
        m_windows.form2().show();
    if (flags.Form3WasShown)
        m_windows.form3().show();
    if (flags.Form4WasShown)
        m_windows.form4().show();
    if (flags.Form5WasShown)
        m_windows.form5().show();
    emit left();
    m_icon.setInTray(false);
}

void BackgroundMode::bringForward()
{
    // During the splash the main window is still to come; the splash stands for it.
    if (Form7 *splash = m_windows.form7IfLoaded(); splash && splash->isVisible()) {
        FixedWindow::showInFront(splash);
        return;
    }
    if (active()) {
        leave();
        return;
    }
    comeToFront();
}

void BackgroundMode::comeToFront()
{
    if (m_window.isMinimized())
        m_window.showNormal();
    FixedWindow::showInFront(&m_window);
}

bool BackgroundMode::eventFilter(QObject *watched, QEvent *event)
{
    // Without a tray the minimised window is the way back: restoring it leaves the background.
    if (watched == &m_window && event->type() == QEvent::WindowStateChange
        && m_mode == Mode::Minimized && !m_window.isMinimized())
        leave();
    return QObject::eventFilter(watched, event);
}
