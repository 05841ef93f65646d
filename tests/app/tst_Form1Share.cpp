// The main window on a real share (bindfs): another computer's message is counted, and a share
// whose server stops answering freezes nothing, not even the browser opened meanwhile.
#include "AppRig.h"
#include "app/Form3.h"
#include "app/Form6.h"
#include "fs/FileList.h"
#include "messages/Form4.h"
#include "support/PausableShare.h"
#include "widgets/FileListBox.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QtTest>

class tst_Form1Share : public QObject
{
    Q_OBJECT

private slots:
    void stoppedShareFreezesNothing();
};

void tst_Form1Share::stoppedShareFreezesNothing()
{
    if (!PausableShare::fuseAvailable())
        QSKIP("this machine cannot mount FUSE file systems (no /dev/fuse)");
    PausableShare share;
    QVERIFY2(share.isMounted(), qPrintable(share.error()));
    share.source().makeFolder("History");

    AppRig rig(share.mountPoint());
    rig.main.Form_Load();
    QCOMPARE(rig.windows.form3().File1->watchMode(), FolderWatch::Mode::Poll);
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));

    // Written on the server's side, as another computer would.
    share.source().write("first.msg", "x");
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));

    share.stop(6000);
    share.source().write("second.msg", "x");
    share.source().write("History/old.msg", "x");
    // The longest the windows' thread went without handling an event, while the server is
    // stopped and the timers keep ticking.
    qint64 longestGapMs = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer heartbeat;
    heartbeat.setInterval(10);
    connect(&heartbeat, &QTimer::timeout, this,
            [&] { longestGapMs = qMax(longestGapMs, sinceTick.restart()); });
    heartbeat.start();
    rig.windows.showCloseDialog();
    rig.windows.openInbox();
    QTest::qWait(1500);
    // Auto Retrieve switched back on re-reads at once.
    rig.state.setAutoRetrieve(false);
    rig.state.setAutoRetrieve(true);
    rig.windows.form3().File1->refresh();
    QTest::qWait(1500);
    heartbeat.stop();
    QVERIFY(rig.windows.form6IfLoaded() && rig.windows.form6IfLoaded()->isVisible());
    QVERIFY2(longestGapMs < 500, qPrintable(QStringLiteral("%1 ms").arg(longestGapMs)));
    // The browser is open, with what the share last said.
    Form4 *browser = rig.windows.form4IfLoaded();
    QVERIFY(browser && browser->isVisible());
    QCOMPARE(browser->File1->count(), 1);
    // The counts keep their last values until the share answers.
    QCOMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));
    QCOMPARE(rig.main.his->text(), QStringLiteral("No Messages in History."));

    share.resume();
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("2 New Messages."));
    QTRY_COMPARE(rig.main.his->text(), QStringLiteral("1 Message in History."));
    QTRY_COMPARE((browser->File1->refresh(), browser->File1->count()), 2);
}

QTEST_MAIN(tst_Form1Share)
#include "tst_Form1Share.moc"
