#include "core/AppState.h"
#include "core/MessagePolling.h"
#include "fs/FileList.h"
#include "fs/FolderWatch.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"

#include <QTimer>
#include <QtTest>

namespace {

// The shared state over a data folder, its listings pointed as the start-up points them, and
// the polling with every signal written down in order.
struct Rig
{
    Rig()
        : state(dir.path(), p.platform())
        , polling(state)
    {
        dir.makeFolder(QStringLiteral("History"));
        state.inboxList().setPath(state.dataFolder());
        state.historyList().setPath(state.historyFolder());
        QObject::connect(&polling, &MessagePolling::inboxCounted,
                         [this](const QString &text) { events << "inb " + text; });
        QObject::connect(&polling, &MessagePolling::historyCounted,
                         [this](const QString &text) { events << "his " + text; });
        QObject::connect(&polling, &MessagePolling::waitingCounted,
                         [this](int count) { events << "waiting " + QString::number(count); });
        QObject::connect(&polling, &MessagePolling::countsCleared,
                         [this] { events << QStringLiteral("cleared"); });
    }

    TestPlatform p;
    TempFolder dir;
    AppState state;
    MessagePolling polling;
    QStringList events;
};

} // namespace

// The polling policy on its own, without a window.
class tst_MessagePolling : public QObject
{
    Q_OBJECT
private slots:
    void intervalFollowsFolderMode_data();
    void intervalFollowsFolderMode();
    void autoRetrieveOffStopsRereadingOnly();
    void loginRewritesBothCountsAtOnce_data();
    void loginRewritesBothCountsAtOnce();
};

void tst_MessagePolling::intervalFollowsFolderMode_data()
{
    QTest::addColumn<FolderWatch::Mode>("mode");
    QTest::addColumn<int>("interval");
    // The benchmark compares against the literal design, which re-lists every 5 ms.
    QTest::newRow("literal") << FolderWatch::Mode::Literal << 5;
    QTest::newRow("automatic") << FolderWatch::Mode::Automatic << 1000;
    QTest::newRow("poll") << FolderWatch::Mode::Poll << 1000;
}

void tst_MessagePolling::intervalFollowsFolderMode()
{
    QFETCH(FolderWatch::Mode, mode);
    QFETCH(int, interval);
    FolderWatch::setDefaultMode(mode);
    Rig rig;
    rig.polling.start();
    FolderWatch::setDefaultMode(FolderWatch::Mode::Automatic);

    const QList<QTimer *> timers { rig.polling.inboxTimer(), rig.polling.waitingTimer(),
                                   rig.polling.historyTimer(), rig.polling.autoTimeTimer() };
    for (int i = 0; i < timers.size(); ++i) {
        QCOMPARE(timers[i]->objectName(), QStringLiteral("Timer%1").arg(i + 1));
        QVERIFY(timers[i]->isActive());
        QCOMPARE(timers[i]->interval(), interval);
    }
}

void tst_MessagePolling::autoRetrieveOffStopsRereadingOnly()
{
    Rig rig;
    rig.polling.start();
    rig.state.setAutoRetrieve(false);
    QVERIFY(!rig.polling.inboxTimer()->isActive() && !rig.polling.historyTimer()->isActive());
    QVERIFY(rig.polling.waitingTimer()->isActive() && rig.polling.autoTimeTimer()->isActive());

    // A reported change is not followed by a re-read while Auto Retrieve is off.
    rig.dir.write(QStringLiteral("lunch.msg"), "x");
    rig.events.clear();
    emit rig.state.inboxList().changePending();
    emit rig.state.historyList().changePending();
    QCOMPARE(rig.events, QStringList());
    QCOMPARE(rig.state.inboxList().count(), 0);

    // Somebody else's re-read (the browser, a login) still reaches the tray icon.
    rig.state.inboxList().refresh();
    QTRY_VERIFY(rig.events.contains(QStringLiteral("waiting 1")));

    // Switched on again, the counts are rewritten at once.
    rig.events.clear();
    rig.state.setAutoRetrieve(true);
    QCOMPARE(rig.events,
             QStringList({ "inb 1 New Message.", "waiting 1", "his No Messages in History." }));
}

void tst_MessagePolling::loginRewritesBothCountsAtOnce_data()
{
    QTest::addColumn<bool>("autoRetrieve");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("auto retrieve on") << true
                                      << QStringList { "cleared", "inb 1 New Message.", "waiting 1",
                                                       "his 2 Messages in History." };
    // Off, the counts stay empty until the next manual retrieval.
    QTest::newRow("auto retrieve off") << false << QStringList { "cleared" };
}

void tst_MessagePolling::loginRewritesBothCountsAtOnce()
{
    QFETCH(bool, autoRetrieve);
    QFETCH(QStringList, events);
    Rig rig;
    rig.polling.start();
    rig.state.setAutoRetrieve(autoRetrieve);
    rig.dir.write(QStringLiteral("a.ms3"), "x");
    rig.dir.write(QStringLiteral("History/b.ms3"), "x");
    rig.dir.write(QStringLiteral("History/c.ms3"), "x");
    rig.dir.write(QStringLiteral("d.msg"), "x");

    // As a login into User 3 does.
    rig.state.inboxList().setPattern(QStringLiteral("*.ms3"));
    rig.state.historyList().setPattern(QStringLiteral("*.ms3"));
    rig.events.clear();
    rig.state.restartCounts();
    QCOMPARE(rig.events, events);
}

QTEST_GUILESS_MAIN(tst_MessagePolling)
#include "tst_MessagePolling.moc"
