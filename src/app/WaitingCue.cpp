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
    // The tray is asked when the count changes, and at every tick while the title carries the
    // count: a panel that comes up late then takes it out. The answer may cost a trip to the
    // display server or the session bus, so a steady count shown in a tray asks nothing.
    if (!changed && !m_countInTitle)
        return;
    const bool more = count > qMax(0, m_announcedCount);
    if (changed) {
        m_announcedCount = count;
        m_notice.update(m_state.inboxList().path(), m_state.inboxList().names());
    }
    if (m_state.platform().tray.isSystemTrayAvailable()) {
        m_countInTitle = false;
        m_window.setWindowTitle(m_caption);
        return;
    }
    m_countInTitle = count > 0;
    m_window.setWindowTitle(m_countInTitle ? m_caption + QStringLiteral(" - ")
                                    + MessagePolling::inboxCountText(count)
                                           : m_caption);
    if (changed && more)
        QApplication::alert(&m_window);
}
