// A logout or shutdown asks the application to quit: the program must end without the close
// dialog or any other question, whatever windows are open, while a close request of the user
// still shows the close dialog.
#include "AppRig.h"

#include "app/Form6.h"
#include "app/Form7.h"
#include "app/SessionEnd.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/MessageTextEdit.h"
#include "messages/newmes.h"
#include "widgets/FileListBox.h"
#include "widgets/PictureButton.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

class tst_SessionEnd : public QObject
{
    Q_OBJECT
private slots:
    void userCloseStillAsks();
    void sessionQuitEndsWithoutAsking_data();
    void sessionQuitEndsWithoutAsking();
};

void tst_SessionEnd::userCloseStillAsks()
{
    AppRig rig;
    SessionEnd session(rig.state);
    rig.main.show();
    QVERIFY(!rig.main.close());
    QVERIFY(rig.main.isVisible());
    QVERIFY(rig.windows.form6IfLoaded() && rig.windows.form6IfLoaded()->isVisible());
    QVERIFY(!rig.state.sessionEnding);
}

void tst_SessionEnd::sessionQuitEndsWithoutAsking_data()
{
    QTest::addColumn<QString>("scene");
    QTest::newRow("main window") << "main";
    QTest::newRow("edited message and half-written message open") << "editing";
    QTest::newRow("close dialog open") << "close dialog";
    QTest::newRow("during the splash") << "splash";
}

void tst_SessionEnd::sessionQuitEndsWithoutAsking()
{
    QFETCH(QString, scene);
    AppRig rig;
    // The real way out: leave the event loop.
    rig.state.quitProgram = [] {
        QCoreApplication::exit(0);
    };
    rig.dir.makeFolder(QStringLiteral("History"));
    rig.dir.write(QStringLiteral("note.msg"), "Hello");
    rig.main.show();
    if (scene == QLatin1String("editing")) {
        Form4 &browser = rig.windows.form4();
        browser.OpenInbox();
        QVERIFY(browser.File1->selectName(QStringLiteral("note.msg")));
        browser.openy->pressDown();
        browser.openy->releaseUp();
        Form2 *viewer = rig.windows.form2IfLoaded();
        QVERIFY(viewer);
        viewer->Text1->setPlainText(QStringLiteral("Hello, edited"));
        newmes &compose = rig.windows.compose();
        compose.show();
        compose.Text3->setPlainText(QStringLiteral("half a message"));
    } else if (scene == QLatin1String("close dialog")) {
        rig.windows.showCloseDialog();
    } else if (scene == QLatin1String("splash")) {
        rig.main.hide();
        rig.windows.form7().show();
    }
    rig.p.dialogs.clear();

    SessionEnd session(rig.state);
    QTimer::singleShot(50, qApp, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    });
    // Should the program refuse, the test ends the loop itself after a while.
    QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);

    QVERIFY(rig.state.sessionEnding);
    QVERIFY2(rig.p.dialogs.calls().isEmpty(), qPrintable(rig.p.dialogs.messageTexts().join('\n')));
    QVERIFY(!rig.windows.form6IfLoaded() || !rig.windows.form6IfLoaded()->isVisible());
    // Nothing was written on the way out.
    QCOMPARE(rig.dir.read(QStringLiteral("note.msg")), QByteArray("Hello"));
}

QTEST_MAIN(tst_SessionEnd)
#include "tst_SessionEnd.moc"
