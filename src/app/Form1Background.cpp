// The main window's popup menu and its going to and coming back from the background.
#include "Form1.h"

#include "Form3.h"
#include "Form7.h"
#include "Form8.h"
#include "WindowRegistry.h"
#include "accounts/Form5.h"
#include "core/AppState.h"
#include "desktop/Dialogs.h"
#include "desktop/Glint.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "widgets/PictureButton.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTimer>

namespace {

const QLatin1String Yes("yes");

// Records whether a window is shown and hides it; a window not loaded counts as not shown.
QString takeShown(QWidget *window)
{
    if (!window)
        return QStringLiteral("no");
    const bool shown = window->isVisible();
    window->hide();
    return shown ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

QPoint Form1::menuPosition(const QPoint &pos) const
{
    return mapToGlobal(pos);
}

void Form1::PopUpTrayMenu(const QPoint &globalPos)
{
    m_windows.form8().popUp(globalPos);
}

void Form1::Image2_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    // Where the button was released, kept on the button for a keyboard press.
    QPoint pos = Image2->mapFromGlobal(QCursor::pos());
    pos.setX(qBound(0, pos.x(), Image2->width() - 1));
    pos.setY(qBound(0, pos.y(), Image2->height() - 1));
    PopUpTrayMenu(menuPosition(pos));
}

void Form1::Glint2_DblClick()
{
    LeaveBackground();
}

void Form1::changeEvent(QEvent *event)
{
    // Without a tray the minimised window is the way back: restoring it leaves the background.
    if (event->type() == QEvent::WindowStateChange && m_background == Background::Minimized
        && !isMinimized())
        LeaveBackground();
    QWidget::changeEvent(event);
}

bool Form1::trayAvailable() const
{
    return m_state.platform().tray.isSystemTrayAvailable();
}

void Form1::leaveScreen()
{
    // Without a tray there is no icon to come back through: keep the window among the
    // desktop's open windows.
    if (trayAvailable()) {
        hide();
        m_background = Background::Hidden;
    } else {
        m_background = Background::Minimized;
        showMinimized();
    }
}

void Form1::announceBackground()
{
    const QString text = trayAvailable()
        ? QStringLiteral("Notavo will now run in background. To open, double click on the icon "
                         "in your system tray.")
        // Not every desktop has a task bar (GNOME has none), but every one lists its windows.
        : QStringLiteral("Notavo will now run in background. To open, switch to the Notavo 3.0 "
                         "window in your list of open windows (Alt+Tab).");
    m_state.dialogs().messageBox(text, QStringLiteral("Notavo"), Dialogs::Icon::Exclamation);
}

void Form1::EnterBackgroundFromMenu()
{
    announceBackground();
    leaveScreen();
    m_state.Form2WasShown = takeShown(m_windows.form2IfLoaded());
    m_state.Form3WasShown = takeShown(&m_windows.form3());
    m_state.Form4WasShown = takeShown(m_windows.form4IfLoaded());
    m_state.Form5WasShown = takeShown(m_windows.form5IfLoaded());
    Glint2->setInTray(true);
}

void Form1::EnterBackgroundFromCloseDialog()
{
    // The login window and Form3 stay as they are on this route.
    announceBackground();
    leaveScreen();
    m_state.Form2WasShown = takeShown(m_windows.form2IfLoaded());
    m_state.Form4WasShown = takeShown(m_windows.form4IfLoaded());
    Glint2->setInTray(true);
}

void Form1::LeaveBackground()
{
    m_background = Background::No;
    comeToFront();

    if (m_state.Form2WasShown == Yes)
        m_windows.form2().show();
    if (m_state.Form3WasShown == Yes)
        m_windows.form3().show();
    if (m_state.Form4WasShown == Yes)
        m_windows.form4().show();
    if (m_state.Form5WasShown == Yes)
        m_windows.form5().show();
    Timer2->start();
    Glint2->setInTray(false);
}

void Form1::bringForward()
{
    // During the splash the main window is still to come; the splash stands for it.
    if (Form7 *splash = m_windows.form7IfLoaded(); splash && splash->isVisible()) {
        splash->raise();
        splash->activateWindow();
        return;
    }
    if (inBackground()) {
        LeaveBackground();
        return;
    }
    comeToFront();
}

void Form1::comeToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}
