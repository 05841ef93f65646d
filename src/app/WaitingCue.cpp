#include "WaitingCue.h"

#include "core/AppState.h"
#include "core/MessagePolling.h"
#include "desktop/Glint.h"
#include "fs/FileList.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

WaitingCue::WaitingCue(QWidget &window, const QString &caption, Glint &icon, AppState &state)
    : QObject(&window)
    , m_window(window)
    , m_caption(caption)
    , m_icon(icon)
    , m_state(state)
    , m_notice(state.platform().notifier)
{
    // A panel that stops or restarts moves the count into the title or out of it at once,
    // not at the next message.
    QPointer<WaitingCue> cue(this);
    m_state.platform().tray.availabilityChanged = [cue](bool) {
        if (cue)
            cue->showInTitle(false);
    };
}

WaitingCue::~WaitingCue()
{
    m_state.platform().tray.availabilityChanged = nullptr;
}

void WaitingCue::show(int count)
{
    m_icon.setInTray(count >= 1);
    if (count == m_announcedCount)
        return;
    const bool more = count > qMax(0, m_announcedCount);
    m_announcedCount = count;
    m_notice.update(m_state.inboxList().path(), m_state.inboxList().names());
    showInTitle(more);
}

void WaitingCue::showInTitle(bool alert)
{
    // The tray host keeps its answer current: asking costs nothing.
    const bool inTitle = m_announcedCount > 0 && !m_state.platform().tray.isSystemTrayAvailable();
    m_window.setWindowTitle(inTitle ? m_caption + QStringLiteral(" - ")
                                    + MessagePolling::inboxCountText(m_announcedCount)
                                    : m_caption);
    if (inTitle && alert)
        QApplication::alert(&m_window);
}
