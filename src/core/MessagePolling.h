#pragma once

#include <QObject>
#include <QString>

class AppState;
class QTimer;

// When the counting listings are re-read, without any window: Timer1 re-reads the inbox and
// Timer3 the History while Auto Retrieve is on, Timer2 takes up the inbox count as last read
// (whoever read it), Timer4 is the Auto Time follower's tick. A login or Auto Retrieve switched
// on polls at once, and the listings' own change reports are followed as they come. The main
// window shows what the signals tell it.
class MessagePolling : public QObject
{
    Q_OBJECT
public:
    explicit MessagePolling(AppState &state, QObject *parent = nullptr);

    // The four timers, named Timer1..Timer4 as the main window's design names them.
    QTimer *inboxTimer() const { return m_inboxTimer; }
    QTimer *waitingTimer() const { return m_waitingTimer; }
    QTimer *historyTimer() const { return m_historyTimer; }
    QTimer *autoTimeTimer() const { return m_autoTimeTimer; }

    // Starts the four timers; the counts follow within milliseconds.
    void start();
    // The timers' interval: the literal design's 5 ms in the literal folder mode, else the
    // safety tick.
    static int interval();

    // One tick each of Timer1, Timer2 and Timer3.
    void pollInbox();
    void takeWaitingCount();
    void pollHistory();
    // Runs at once what the next ticks of the running timers would do.
    void pollNow();
    // The retrieve button's re-read of the inbox, whatever Auto Retrieve says; returns the
    // count. The window decides what to say about it.
    int retrieveInbox();

    static QString inboxCountText(int count);
    static QString historyCountText(int count);

signals:
    // The count texts to show after a re-read ("No New Messages.", "1 Message in History.").
    void inboxCounted(const QString &text);
    void historyCounted(const QString &text);
    // The inbox count as last read, for the tray icon and the other cues.
    void waitingCounted(int count);
    // A login changed what the counts count: show none until the next re-read.
    void countsCleared();
    // Timer4: the Auto Time follower's turn.
    void autoTimeTick();

private:
    QTimer *makeTimer(const char *name);
    void followAutoRetrieve(bool on);
    void restartCounts();
    void inboxChanged();
    void historyChanged();

    AppState &m_state;
    QTimer *m_inboxTimer;
    QTimer *m_waitingTimer;
    QTimer *m_historyTimer;
    QTimer *m_autoTimeTimer;
};
