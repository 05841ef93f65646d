#include "core/AppState.h"
#include "fs/FileList.h"
#include "support/FakeWindows.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"

#include <QSignalSpy>
#include <QtTest>

// The shared record on its own, without a display.
class tst_AppState : public QObject
{
    Q_OBJECT
private slots:
    void optionsSignalOnlyChanges();
    void listRefreshReachesBrowserOnlyWithAutoRetrieve();
};

void tst_AppState::optionsSignalOnlyChanges()
{
    TestPlatform p;
    TempFolder dir;
    AppState state(dir.path(), p.platform());
    QVERIFY(state.autoTime() && state.autoRetrieve());
    QCOMPARE(state.slotCode(), QStringLiteral("d"));
    QSignalSpy time(&state, &AppState::autoTimeChanged);
    QSignalSpy retrieve(&state, &AppState::autoRetrieveChanged);

    // Every follower (marks, menu checks, timers) acts once per real change.
    state.setAutoTime(true);
    state.setAutoRetrieve(false);
    state.setAutoRetrieve(false);
    QCOMPARE(time.count(), 0);
    QCOMPARE(retrieve.count(), 1);
    QCOMPARE(retrieve.at(0).at(0).toBool(), false);
    QVERIFY(!state.autoRetrieve());
}

void tst_AppState::listRefreshReachesBrowserOnlyWithAutoRetrieve()
{
    TestPlatform p;
    TempFolder dir;
    dir.makeFolder(QStringLiteral("History"));
    AppState state(dir.path(), p.platform());
    FakeWindows windows;
    state.setWindows(&windows);
    state.inboxList().setPath(state.dataFolder());
    state.historyList().setPath(state.historyFolder());

    dir.write(QStringLiteral("lunch.msg"), "x");
    dir.write(QStringLiteral("History/old.msg"), "x");
    state.listRefresh();
    QCOMPARE(state.inboxList().count(), 1);
    QCOMPARE(state.historyList().count(), 1);
    QCOMPARE(windows.calls, QStringList { "refreshBrowser" });

    state.setAutoRetrieve(false);
    dir.write(QStringLiteral("tea.msg"), "x");
    state.listRefresh();
    QCOMPARE(state.inboxList().count(), 2);
    QCOMPARE(windows.calls.size(), 1);
}

QTEST_GUILESS_MAIN(tst_AppState)
#include "tst_AppState.moc"
