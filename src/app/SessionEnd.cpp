#include "SessionEnd.h"

#include "core/AppState.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

SessionEnd::SessionEnd(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &SessionEnd::noRestart);
    connect(qApp, &QGuiApplication::saveStateRequest, this, &SessionEnd::noRestart);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_state.sessionEnding = true; });
}

SessionEnd::~SessionEnd()
{
    qApp->removeEventFilter(this);
}

void SessionEnd::noRestart(QSessionManager &manager)
{
    manager.setRestartHint(QSessionManager::RestartNever);
}

bool SessionEnd::eventFilter(QObject *watched, QEvent *event)
{
    // The program itself never asks the application to quit (the close dialog leaves the event
    // loop directly): a quit request comes from the session or the window system.
    if (watched == qApp && event->type() == QEvent::Quit && !m_state.sessionEnding) {
        m_state.sessionEnding = true;
        // The application now closes every window, which the main window allows. A window
        // that still refuses, or one shown again meanwhile (the splash ending brings up the
        // main window), must not keep the program alive: leave the event loops in any case.
        QTimer::singleShot(0, qApp, [quit = m_state.quitProgram] {
            if (quit)
                quit();
        });
    }
    return QObject::eventFilter(watched, event);
}
