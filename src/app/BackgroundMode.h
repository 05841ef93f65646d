#pragma once

#include "core/Windows.h"

#include <QObject>

class AppState;
class Glint;
class WindowRegistry;
class QWidget;

// The program running in the background: the main window leaves the screen (hidden, or
// minimised where no tray icon could bring it back), the windows it takes along are noted in
// AppState's restore flags, and the "running in background" icon (Glint2) stands for it until
// it comes back.
class BackgroundMode : public QObject
{
    Q_OBJECT
public:
    BackgroundMode(QWidget &window, Glint &icon, WindowRegistry &windows, AppState &state);

    // The menu's route takes the viewer, Form3, the browser and the login window along; the
    // close dialog's route only the viewer and the browser.
    using Route = Windows::BackgroundRoute;
    void enter(Route route);
    void leave();
    bool active() const { return m_mode != Mode::No; }

    // A later start of the program asked for this copy: the window comes forward, out of the
    // background if need be (during the splash, the splash does).
    void bringForward();

signals:
    // Back on the screen: the waiting count is taken up again.
    void left();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Mode { No, Hidden, Minimized };

    bool trayAvailable() const;
    void announce();
    void leaveScreen();
    // Shows the window (restored when minimised) above the others, with the focus.
    void comeToFront();

    QWidget &m_window;
    Glint &m_icon;
    WindowRegistry &m_windows;
    AppState &m_state;
    Mode m_mode = Mode::No;
};
