#pragma once

#include <QObject>

class AppState;
class QSessionManager;

// Lets a logout or shutdown end the program. The main window refuses every close request and
// shows the close dialog instead, which would hold up the desktop; but when the session (or
// the window system) asks the application to quit, nothing waits to be saved (every change is
// written when it is made), so every window closes without a question and the program ends.
// The session is also told not to start the program again on its own: the autostart entry
// does that, and a restored session would start a second copy.
class SessionEnd : public QObject
{
    Q_OBJECT
public:
    explicit SessionEnd(AppState &state, QObject *parent = nullptr);
    ~SessionEnd() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void noRestart(QSessionManager &manager);

    AppState &m_state;
};
