#include "AppRig.h"
#include "accounts/Form5.h"
#include "app/Form3.h"
#include "messages/Form2.h"
#include "messages/Form4.h"

#include <QLabel>
#include <QtTest>

class tst_Form1Background : public QObject
{
    Q_OBJECT
private slots:
    void viewerComesBackBrowserStaysClosed();
    void closeDialogRouteKeepsLoginWindow();
    void enteringTwiceForgetsTheWindows();
    void leavingBeforeEverEntering();
    void withoutTrayTheWindowStaysReachable();
    void notificationFollowsTheInbox();
};

void tst_Form1Background::viewerComesBackBrowserStaysClosed()
{
    AppRig rig;
    rig.main.Form_Load();
    rig.main.show();
    rig.windows.form2().show();
    QCOMPARE(rig.glint2()->tiptext(), QStringLiteral("Courivo Running in Background"));
    QCOMPARE(rig.glint2()->imagenumber(), 2);

    rig.windows.enterBackground(Windows::BackgroundRoute::Menu);
    QCOMPARE(rig.p.dialogs.messageTexts(),
             QStringList { "Notavo will now run in background. To open, double click on the "
                           "icon in your system tray." });
    QCOMPARE(rig.p.dialogs.last()->title, QStringLiteral("Notavo"));
    QCOMPARE(rig.p.dialogs.last()->icon, Dialogs::Icon::Exclamation);
    QVERIFY(!rig.main.isVisible());
    QVERIFY(!rig.windows.form2().isVisible());
    const AppState::RestoreFlags flags = rig.state.restoreFlags();
    QVERIFY(flags.Form2WasShown);
    QVERIFY(!flags.Form3WasShown && !flags.Form4WasShown && !flags.Form5WasShown);
    QVERIFY(rig.glint2()->InTray());
    // A window never opened is not loaded just to be hidden.
    QVERIFY(!rig.windows.form4IfLoaded());

    // Polling goes on in the background.
    rig.dir.write("lunch.msg", "x");
    QTRY_VERIFY(rig.glint1()->InTray());

    emit rig.glint2()->DblClick();
    QVERIFY(rig.main.isVisible());
    QVERIFY(rig.windows.form2().isVisible());
    QVERIFY(!rig.windows.form4IfLoaded());
    QVERIFY(!rig.glint2()->InTray());
    QVERIFY(rig.main.Timer2->isActive());
}

void tst_Form1Background::closeDialogRouteKeepsLoginWindow()
{
    AppRig rig;
    rig.main.show();
    rig.windows.form4().show();
    rig.windows.form5().show();
    // Flags from an earlier trip, which this route must leave alone.
    rig.state.setRestoreFlags({ .Form3WasShown = true, .Form5WasShown = true });

    rig.windows.enterBackground(Windows::BackgroundRoute::CloseDialog);
    QVERIFY(!rig.main.isVisible());
    QVERIFY(!rig.windows.form4().isVisible());
    QVERIFY(rig.windows.form5().isVisible());
    const AppState::RestoreFlags flags = rig.state.restoreFlags();
    QVERIFY(!flags.Form2WasShown && flags.Form4WasShown);
    QVERIFY(flags.Form3WasShown && flags.Form5WasShown);
    QVERIFY(rig.glint2()->InTray());

    rig.main.LeaveBackground();
    QVERIFY(rig.windows.form4().isVisible());
    QVERIFY(!rig.glint2()->InTray());
}

void tst_Form1Background::enteringTwiceForgetsTheWindows()
{
    AppRig rig;
    rig.main.show();
    rig.windows.form2().show();
    rig.windows.enterBackground(Windows::BackgroundRoute::Menu);
    rig.windows.enterBackground(Windows::BackgroundRoute::Menu);
    QCOMPARE(rig.p.dialogs.calls().size(), 2);
    QVERIFY(!rig.state.restoreFlags().Form2WasShown);

    rig.main.LeaveBackground();
    QVERIFY(rig.main.isVisible());
    QVERIFY(!rig.windows.form2().isVisible());

    // A second start of the program brings it back the same way.
    rig.windows.enterBackground(Windows::BackgroundRoute::Menu);
    rig.main.bringForward();
    QVERIFY(rig.main.isVisible());
    QVERIFY(!rig.main.inBackground());
    QVERIFY(!rig.glint2()->InTray());
}

void tst_Form1Background::leavingBeforeEverEntering()
{
    AppRig rig;
    rig.main.show();
    rig.glint2()->setInTray(true);
    rig.main.Glint2_DblClick();
    QVERIFY(rig.main.isVisible());
    QVERIFY(!rig.windows.form2IfLoaded());
    QVERIFY(!rig.windows.form4IfLoaded());
    QVERIFY(!rig.windows.form5IfLoaded());
    QVERIFY(!rig.windows.form3().isVisible());
    QVERIFY(!rig.glint2()->InTray());
}

void tst_Form1Background::withoutTrayTheWindowStaysReachable()
{
    AppRig rig;
    rig.p.tray.available = false;
    rig.main.Form_Load();
    rig.main.show();
    rig.windows.form2().show();

    rig.windows.enterBackground(Windows::BackgroundRoute::Menu);
    // Not every desktop has a task bar; every one lists its open windows.
    QCOMPARE(rig.p.dialogs.last()->text,
             QStringLiteral("Notavo will now run in background. To open, switch to the Notavo 3.0 "
                            "window in your list of open windows (Alt+Tab)."));
    QVERIFY(rig.main.isVisible());
    QVERIFY(rig.main.isMinimized());
    QVERIFY(rig.main.inBackground());
    QVERIFY(!rig.windows.form2().isVisible());

    // Waiting messages show in the title, in the background and out of it.
    rig.dir.write("a.msg", "x");
    rig.dir.write("b.msg", "x");
    QTRY_COMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0 - 2 New Messages."));

    // Restoring the window is the way back.
    rig.main.showNormal();
    QVERIFY(!rig.main.inBackground());
    QVERIFY(rig.windows.form2().isVisible());

    QFile::remove(rig.dir.file("a.msg"));
    QFile::remove(rig.dir.file("b.msg"));
    QTRY_COMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0"));

    // A tray that comes up while a message waits takes the count out of the title.
    rig.dir.write("c.msg", "x");
    QTRY_COMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0 - 1 New Message."));
    rig.p.tray.setAvailable(true);
    QTRY_COMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0"));
    // The panel stops: the count is back in the title, with no new message to bring it.
    rig.p.tray.setAvailable(false);
    QCOMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0 - 1 New Message."));
    rig.p.tray.setAvailable(true);
    QCOMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0"));

    // With a tray the title stays the program's own.
    rig.dir.write("d.msg", "x");
    QTRY_VERIFY(rig.glint1()->InTray());
    QCOMPARE(rig.main.windowTitle(), QStringLiteral("Notavo 3.0"));
}

void tst_Form1Background::notificationFollowsTheInbox()
{
    AppRig rig;
    rig.main.Form_Load();
    QStringList &calls = rig.p.notifier.calls;
    rig.dir.write("lunch.msg", "x");
    QTRY_COMPARE(calls, QStringList { "New Message!|1 New Message.\nNewest: lunch" });
    // One notification, replaced as more arrive, naming the one that came last.
    rig.dir.write("memo.msg", "x");
    QTRY_COMPARE(calls.size(), 2);
    QCOMPARE(calls.last(), QStringLiteral("New Message!|2 New Messages.\nNewest: memo"));
    // Two sites saved memo at once: the sync engine's copy of the other text is counted, and
    // said to be what it is.
    const QString conflictCopy = QStringLiteral("memo.sync-conflict-20261209-063947-RGIG57M.msg");
    rig.dir.write(conflictCopy, "y");
    QTRY_COMPARE(calls.size(), 3);
    QCOMPARE(calls.last(),
             QStringLiteral("New Message!|3 New Messages.\n"
                            "Newest: memo, a conflict copy from another site"));
    QVERIFY(QFile::remove(rig.dir.file(conflictCopy)));
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("2 New Messages."));

    // Choosing it opens the inbox, as a double-click on the tray icon does.
    emit rig.p.notifier.activated();
    QVERIFY(rig.windows.form4IfLoaded() && rig.windows.form4IfLoaded()->isVisible());

    // A message read is no news; an empty inbox takes the notification away.
    QFile::remove(rig.dir.file("lunch.msg"));
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));
    QTest::qWait(50);
    QCOMPARE(calls.size(), 3);
    QFile::remove(rig.dir.file("memo.msg"));
    QTRY_COMPARE(calls.last(), QStringLiteral("withdrawn"));
    QCOMPARE(calls.size(), 4);
}

QTEST_MAIN(tst_Form1Background)
#include "tst_Form1Background.moc"
