#include "AppRig.h"
#include "app/Form6.h"
#include "messages/Form2.h"
#include "widgets/PictureButton.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

class tst_Form6 : public QObject
{
    Q_OBJECT
private slots:
    void choicesAreExclusive();
    void cancelChangesNothing();
    void backgroundChoice();
    void quitEndsAtOnce();
    void everyOpeningStartsWithBackground();
};

void tst_Form6::choicesAreExclusive()
{
    AppRig rig;
    rig.windows.showCloseDialog();
    Form6 &dialog = rig.windows.form6();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Quit Notavo"));
    QCOMPARE(dialog.min->text(), QStringLiteral("X"));
    QCOMPARE(dialog.qui->text(), QString());

    QTest::mouseClick(dialog.min, Qt::LeftButton);
    QCOMPARE(dialog.min->text(), QStringLiteral("X"));
    QCOMPARE(dialog.qui->text(), QString());

    // The texts beside the marks choose too.
    QTest::mouseClick(dialog.Label1, Qt::LeftButton);
    QCOMPARE(dialog.qui->text(), QStringLiteral("X"));
    QCOMPARE(dialog.min->text(), QString());
    QTest::mouseClick(dialog.qui, Qt::LeftButton);
    QCOMPARE(dialog.qui->text(), QStringLiteral("X"));

    QTest::mouseClick(dialog.Label2, Qt::LeftButton);
    QCOMPARE(dialog.min->text(), QStringLiteral("X"));
    QCOMPARE(dialog.qui->text(), QString());
}

void tst_Form6::cancelChangesNothing()
{
    AppRig rig;
    rig.main.show();
    rig.windows.form2().show();
    rig.windows.showCloseDialog();
    Form6 &dialog = rig.windows.form6();

    dialog.can->pressDown();
    QVERIFY(dialog.canp->isVisibleTo(&dialog));
    dialog.can->releaseUp();
    QVERIFY(!rig.windows.form6IfLoaded());
    QVERIFY(rig.main.isVisible());
    QVERIFY(rig.windows.form2().isVisible());
    QVERIFY(!rig.glint2()->InTray());
    QVERIFY(rig.p.dialogs.calls().isEmpty());
    QCOMPARE(rig.quits, 0);
}

void tst_Form6::backgroundChoice()
{
    AppRig rig;
    rig.main.show();
    rig.windows.form2().show();
    rig.state.setRestoreFlags({ .Form5WasShown = true });
    rig.windows.showCloseDialog();
    Form6 &dialog = rig.windows.form6();

    dialog.oki->pressDown();
    QVERIFY(dialog.okip->isVisibleTo(&dialog));
    dialog.oki->releaseUp();
    QVERIFY(!rig.windows.form6IfLoaded());
    QVERIFY(!rig.main.isVisible());
    QVERIFY(!rig.windows.form2().isVisible());
    QVERIFY(rig.glint2()->InTray());
    // The close dialog's route leaves the login window's flag alone.
    QVERIFY(rig.state.restoreFlags().Form2WasShown);
    QVERIFY(rig.state.restoreFlags().Form5WasShown);
    QCOMPARE(rig.quits, 0);
}

void tst_Form6::quitEndsAtOnce()
{
    AppRig rig;
    rig.main.show();
    rig.windows.showCloseDialog();
    Form6 &dialog = rig.windows.form6();
    const QStringList before = QDir(rig.dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    dialog.qui_Click();
    dialog.oki->pressDown();
    dialog.oki->releaseUp();
    QCOMPARE(rig.quits, 1);
    QVERIFY(rig.p.dialogs.calls().isEmpty());
    QVERIFY(!rig.glint2()->InTray());
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

void tst_Form6::everyOpeningStartsWithBackground()
{
    AppRig rig;
    rig.windows.showCloseDialog();
    rig.windows.form6().qui_Click();
    // Closing the window is a cancel, and the next opening is a fresh dialog.
    rig.windows.form6().close();
    QVERIFY(!rig.windows.form6IfLoaded());
    rig.windows.showCloseDialog();
    QCOMPARE(rig.windows.form6().min->text(), QStringLiteral("X"));
    QCOMPARE(rig.windows.form6().qui->text(), QString());
    QCOMPARE(rig.quits, 0);
}

QTEST_MAIN(tst_Form6)
#include "tst_Form6.moc"
