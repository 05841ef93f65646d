#include "MessagePolling.h"

#include "core/AppState.h"
#include "fs/FileList.h"
#include "fs/FolderWatch.h"

#include <QTimer>

namespace {

// The timers' design interval. Re-listing a folder this often is what the literal design
// does; the listings report changes themselves (the kernel names them on local folders, the
// poller's thread finds them on shares), so the timers need only an occasional safety tick.
constexpr int DesignIntervalMs = 5;
constexpr int SafetyIntervalMs = 1000;

} // namespace

MessagePolling::MessagePolling(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_inboxTimer(makeTimer("Timer1"))
    , m_waitingTimer(makeTimer("Timer2"))
    , m_historyTimer(makeTimer("Timer3"))
    , m_autoTimeTimer(makeTimer("Timer4"))
{
    connect(m_inboxTimer, &QTimer::timeout, this, &MessagePolling::pollInbox);
    connect(m_waitingTimer, &QTimer::timeout, this, &MessagePolling::takeWaitingCount);
    connect(m_historyTimer, &QTimer::timeout, this, &MessagePolling::pollHistory);
    connect(m_autoTimeTimer, &QTimer::timeout, this, &MessagePolling::autoTimeTick);

    FileList *inbox = &m_state.inboxList();
    connect(inbox, &FileList::changePending, this, &MessagePolling::inboxChanged);
    connect(&m_state.historyList(), &FileList::changePending, this,
            &MessagePolling::historyChanged);
    // Whoever re-read the inbox (login, the browser, a retrieval), the icon follows at once.
    connect(inbox, &FileList::namesChanged, this, &MessagePolling::takeWaitingCount,
            Qt::QueuedConnection);

    connect(&m_state, &AppState::autoRetrieveChanged, this, &MessagePolling::followAutoRetrieve);
    connect(&m_state, &AppState::countsRestarted, this, &MessagePolling::restartCounts);
}

QTimer *MessagePolling::makeTimer(const char *name)
{
    auto *timer = new QTimer(this);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(DesignIntervalMs);
    return timer;
}

QString MessagePolling::inboxCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No New Messages.");
    if (count == 1)
        return QStringLiteral("1 New Message.");
    return QString::number(count) + QStringLiteral(" New Messages.");
}

QString MessagePolling::historyCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No Messages in History.");
    if (count == 1)
        return QStringLiteral("1 Message in History.");
    return QString::number(count) + QStringLiteral(" Messages in History.");
}

int MessagePolling::interval()
{
    return FolderWatch::defaultMode() == FolderWatch::Mode::Literal ? DesignIntervalMs
                                                                    : SafetyIntervalMs;
}

void MessagePolling::start()
{
    // The design state: all four timers run from the start, and the counts are filled within
    // milliseconds. After that the listings report their changes themselves, and Timer2 and
    // Timer4 follow events (a re-read inbox, a switched option), so the ticks only catch up on
    // the rest.
    for (QTimer *timer : { m_inboxTimer, m_waitingTimer, m_historyTimer, m_autoTimeTimer }) {
        timer->setInterval(interval());
        timer->start();
    }
    QTimer::singleShot(DesignIntervalMs, this, &MessagePolling::pollNow);
}

void MessagePolling::followAutoRetrieve(bool on)
{
    // Only the re-reading stops; Timer2 still follows whoever else re-reads the inbox.
    if (!on) {
        m_inboxTimer->stop();
        m_historyTimer->stop();
        return;
    }
    m_inboxTimer->start();
    m_historyTimer->start();
    pollNow();
}

void MessagePolling::restartCounts()
{
    // Empty counts are rewritten by the polling timers; the running ones do so now.
    emit countsCleared();
    pollNow();
}

void MessagePolling::inboxChanged()
{
    // What the next tick would do, done now; with Auto Retrieve off nothing is re-read.
    if (!m_inboxTimer->isActive())
        return;
    pollInbox();
    takeWaitingCount();
}

void MessagePolling::historyChanged()
{
    if (m_historyTimer->isActive())
        pollHistory();
}

void MessagePolling::pollNow()
{
    // What the next ticks would do, done now: a login or Auto Retrieve switched on shows the
    // counts at once, not at the next safety tick.
    if (m_inboxTimer->isActive()) {
        pollInbox();
        takeWaitingCount();
    }
    if (m_historyTimer->isActive())
        pollHistory();
    // The running timers start again together: equal intervals then tick in one wake-up of
    // the program, and on an idle machine the wake-ups are the cost.
    for (QTimer *timer : { m_inboxTimer, m_waitingTimer, m_historyTimer, m_autoTimeTimer }) {
        if (timer->isActive())
            timer->start();
    }
}

void MessagePolling::pollInbox()
{
    FileList &inbox = m_state.inboxList();
    inbox.refresh();
    emit inboxCounted(inboxCountText(inbox.count()));
}

int MessagePolling::retrieveInbox()
{
    FileList &inbox = m_state.inboxList();
    inbox.refresh();
    return inbox.count();
}

void MessagePolling::takeWaitingCount()
{
    // The count as last refreshed: with Auto Retrieve off the icon follows the manual
    // retrieval, the login and the browser.
    emit waitingCounted(m_state.inboxList().count());
}

void MessagePolling::pollHistory()
{
    FileList &history = m_state.historyList();
    history.refresh();
    emit historyCounted(historyCountText(history.count()));
}
