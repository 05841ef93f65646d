#include "desktop/QtGlint.h"
#include "desktop/StatusNotifierItem.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTest>

class tst_QtGlint : public QObject
{
    Q_OBJECT

private slots:
    void oneGestureIsOneDblClick();
    void singleClickOnXEmbedTrayDoesNothing();
    void ownStatusNotifierItemActivates();
};

void tst_QtGlint::oneGestureIsOneDblClick()
{
    QtGlint glint(QtGlint::Host::StatusNotifier);
    QSignalSpy dblClick(&glint, &Glint::DblClick);
    // A host that reports clicks only.
    glint.activated(QSystemTrayIcon::Trigger);
    QCOMPARE(dblClick.count(), 1);
    // A host that reports the click and then the double-click of the same gesture.
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    glint.activated(QSystemTrayIcon::Trigger);
    glint.activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(dblClick.count(), 2);
    // A double-click report on its own counts.
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    glint.activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(dblClick.count(), 3);
    glint.activated(QSystemTrayIcon::Context);
    QCOMPARE(dblClick.count(), 3);
}

void tst_QtGlint::singleClickOnXEmbedTrayDoesNothing()
{
    // An XEmbed tray reports each press, and the double-click as its own report.
    QtGlint glint(QtGlint::Host::XEmbed);
    QSignalSpy dblClick(&glint, &Glint::DblClick);
    glint.activated(QSystemTrayIcon::Trigger);
    QCOMPARE(dblClick.count(), 0);
    glint.activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(dblClick.count(), 1);
}

void tst_QtGlint::ownStatusNotifierItemActivates()
{
    // Qt picked XEmbed at start; a StatusNotifier panel that came later sends one activation.
    QtGlint glint(QtGlint::Host::XEmbed);
    glint.setStatusNotifier(true);
    QSignalSpy dblClick(&glint, &Glint::DblClick);
    glint.statusNotifierItem()->Activate(0, 0);
    QCOMPARE(dblClick.count(), 1);
}

QTEST_MAIN(tst_QtGlint)
#include "tst_QtGlint.moc"
