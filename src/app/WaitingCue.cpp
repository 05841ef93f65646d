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
    if (count == m_announcedCount)
        return;
    const bool more = count > qMax(0, m_announcedCount);
    m_announcedCount = count;
    m_notice.update(m_state.inboxList().path(), m_state.inboxList().names());
    // Asked only when the count changes: the answer may cost a trip to the display server.
    if (m_state.platform().tray.isSystemTrayAvailable()) {
        m_window.setWindowTitle(m_caption);
        return;
    }
    m_window.setWindowTitle(count > 0 ? m_caption + QStringLiteral(" - ")
                                    + MessagePolling::inboxCountText(count)
                                      : m_caption);
    if (more)
        QApplication::alert(&m_window);
}
