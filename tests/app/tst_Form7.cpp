#include "AppRig.h"
#include "app/Form7.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

class tst_Form7 : public QObject
{
    Q_OBJECT
private slots:
    void splashShowsMainWindowWhenItEnds();
    void splashClosedEarlyStillShowsMainWindow();
};

void tst_Form7::splashShowsMainWindowWhenItEnds()
{
    AppRig rig;
    rig.main.Form_Load();
    Form7 *splash = rig.windows.form7IfLoaded();
    QVERIFY(splash);
    QCOMPARE(splash->size(), QSize(401, 184));
    QCOMPARE(splash->Label2->text(), QStringLiteral("Thankyou for using Notavo"));
    QVERIFY(splash->Label1->text().contains(QLatin1String("1997")));
    QVERIFY(splash->Timer1->isSingleShot());

    // Shorten the wait: the tick is what matters.
    splash->Timer1->start(10);
    QVERIFY(!rig.main.isVisible());
    QTRY_VERIFY(rig.main.isVisible());
    QVERIFY(!rig.windows.form7IfLoaded());
}

void tst_Form7::splashClosedEarlyStillShowsMainWindow()
{
    AppRig rig;
    rig.main.Form_Load();
    QPointer<Form7> splash = rig.windows.form7IfLoaded();
    splash->close();
    QVERIFY(rig.main.isVisible());
    QVERIFY(!rig.windows.form7IfLoaded());
    QTRY_VERIFY(!splash);
}

QTEST_MAIN(tst_Form7)
#include "tst_Form7.moc"
