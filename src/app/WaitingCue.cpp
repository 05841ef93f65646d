#include "WaitingCue.h"

#include "core/AppState.h"
#include "core/MessagePolling.h"
#include "desktop/Glint.h"
#include "fs/FileList.h"

#include <QApplication>
#include <QWidget>

WaitingCue::WaitingCue(QWidget &window, const QString &caption, Glint &icon, AppState &state)
    : QObject(&window)
    , m_window(window)
    , m_caption(caption)
    , m_icon(icon)
    , m_state(state)
    , m_notice(state.platform().notifier)
{ }

void WaitingCue::show(int count)
{
    m_icon.setInTray(count >= 1);
    const bool changed = count != m_announcedCount;
    const bool more = count > qMax(0, m_announcedCount);
    if (changed) {
        m_announcedCount = count;
        m_notice.update(m_state.inboxList().path(), m_state.inboxList().names());
    } else if (count == 0) {
        return;
    }
    // Asked when the count changes and while messages wait: a panel that comes up late (or
    // goes away) moves the count out of (or into) the title. The answer may cost a trip to
    // the display server, so an empty inbox does not ask.
    if (m_state.platform().tray.isSystemTrayAvailable()) {
        m_window.setWindowTitle(m_caption);
        return;
    }
    m_window.setWindowTitle(count > 0 ? m_caption + QStringLiteral(" - ")
                                    + MessagePolling::inboxCountText(count)
                                      : m_caption);
    if (changed && more)
        QApplication::alert(&m_window);
}
