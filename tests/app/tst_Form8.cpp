#include "AppRig.h"
#include "accounts/Form5.h"
#include "accounts/usopt.h"
#include "app/Form6.h"
#include "app/Form8.h"
#include "app/about.h"
#include "fs/SafeFile.h"
#include "messages/newmes.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cerrno>

namespace {

// The items of a menu as "name caption [shortcut]", separators as "name -".
QStringList describe(const QMenu *menu)
{
    QStringList items;
    for (const QAction *item : menu->actions())
        items.append(item->objectName() + QLatin1Char(' ')
                     + (item->isSeparator() ? QStringLiteral("-")
                                            : item->text().replace(QLatin1Char('\t'), " [")
                                + (item->text().contains('\t') ? "]" : "")));
    return items;
}

} // namespace

class tst_Form8 : public QObject
{
    Q_OBJECT
private slots:
    void menuTree();
    void optionToggles();
    void runAtStartupWritesSetting();
    void runAtStartupWriteFailure();
    void windowCommands();
};

void tst_Form8::menuTree()
{
    AppRig rig;
    Form8 &form = rig.windows.form8();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.mnu->title(), QStringLiteral("mnu"));
    QCOMPARE(
        describe(form.mnu),
        QStringList({ "mnuNewMessage &Compose Message [Ctrl+N]", "mnuOpen &Open", "mnuBarLine1 -",
                      "mnuOptions Options", "mnuHelp &Help", "mnuBarLine3 -", "mnuExit &Exit" }));
    QCOMPARE(describe(form.mnuOpen), QStringList({ "mnuInbox &Inbox", "mnuHistory &History" }));
    QCOMPARE(describe(form.mnuOptions),
             QStringList({ "mnuAutoTime Auto &Time [Ctrl+A]", "mnuAutoRet Auto &Retrieve [Ctrl+R]",
                           "mnuBar -", "mnuStartup &Run at Windows Startup", "mnuBarLine2 -",
                           "mnuRuninBack &Run in Background [F9]", "mnuBarLine4 -",
                           "mnuLog &Log into Account [Ctrl+L]", "mnuusopt &User Options" }));
    QCOMPARE(describe(form.mnuHelp), QStringList({ "mnuAbout &About [F1]" }));
    QVERIFY(form.mnuAutoTime->isChecked());
    QVERIFY(form.mnuAutoRet->isChecked());
    QVERIFY(form.mnuStartup->isChecked());
    QCOMPARE(Form8::caption(form.mnuLog), QStringLiteral("&Log into Account"));
    // The keys are labels: nothing is bound to them.
    QVERIFY(form.mnuNewMessage->shortcut().isEmpty());
}

void tst_Form8::optionToggles()
{
    AppRig rig;
    rig.main.Form_Load();
    Form8 &form = rig.windows.form8();
    QTimer *clock = rig.windows.compose().Timer1;
    QTRY_VERIFY(clock->isActive());

    // Through trigger(), as a chosen item arrives: the menu's own toggle must not count twice.
    form.mnuAutoTime->trigger();
    QVERIFY(!form.mnuAutoTime->isChecked());
    QVERIFY(!clock->isActive());
    QCOMPARE(rig.main.aut->text(), QString());
    QTest::qWait(20);
    QVERIFY(!clock->isActive());
    form.mnuAutoTime->trigger();
    QVERIFY(form.mnuAutoTime->isChecked());
    QVERIFY(clock->isActive());
    QCOMPARE(rig.main.aut->text(), QStringLiteral("X"));

    form.mnuAutoRet->trigger();
    QVERIFY(!form.mnuAutoRet->isChecked());
    QCOMPARE(rig.main.autret->text(), QString());
    QVERIFY(!rig.main.Timer1->isActive() && !rig.main.Timer3->isActive());
    form.mnuAutoRet->trigger();
    QVERIFY(form.mnuAutoRet->isChecked());
    QCOMPARE(rig.main.autret->text(), QStringLiteral("X"));
    QVERIFY(rig.main.Timer1->isActive() && rig.main.Timer3->isActive());
}

void tst_Form8::runAtStartupWritesSetting()
{
    AppRig rig;
    rig.main.Form_Load();
    QAction *item = rig.windows.form8().mnuStartup;
    item->trigger();
    QVERIFY(!item->isChecked());
    QCOMPARE(rig.dir.read("st.kfl"), QByteArray("no\r\n"));
    item->trigger();
    QVERIFY(item->isChecked());
    QCOMPARE(rig.dir.read("st.kfl"), QByteArray("yes\r\n"));
    // The shortcut is made at start only.
    QCOMPARE(rig.p.shellLink.calls.size(), 1);
    QVERIFY(rig.p.dialogs.calls().isEmpty());

    rig.windows.form8().mnuStartup->trigger();
    AppRig next(rig.dir.path());
    next.main.Form_Load();
    QVERIFY(!next.windows.form8().mnuStartup->isChecked());
    QVERIFY(next.p.shellLink.calls.isEmpty());
}

void tst_Form8::runAtStartupWriteFailure()
{
    AppRig rig;
    rig.dir.write("st.kfl", "yes\r\n");
    rig.main.Form_Load();
    QAction *item = rig.windows.form8().mnuStartup;

    SafeFile::setInjectedWriteFailure(ENOSPC);
    item->trigger();
    SafeFile::setInjectedWriteFailure(0);
    // The file keeps its value, and so does the mark.
    QCOMPARE(rig.dir.read("st.kfl"), QByteArray("yes\r\n"));
    QVERIFY(item->isChecked());
    QCOMPARE(rig.p.dialogs.calls().size(), 1);
    QCOMPARE(rig.p.dialogs.last()->icon, Dialogs::Icon::Exclamation);
}

void tst_Form8::windowCommands()
{
    AppRig rig;
    rig.main.show();
    Form8 &form = rig.windows.form8();

    form.mnuNewMessage->trigger();
    QVERIFY(rig.windows.compose().isVisible());
    form.mnuLog->trigger();
    QVERIFY(rig.windows.form5().isVisible());
    form.mnuusopt->trigger();
    QVERIFY(rig.windows.userOptions().isVisible());
    form.mnuInbox->trigger();
    QVERIFY(rig.windows.form4IfLoaded());
    form.mnuExit->trigger();
    QVERIFY(rig.windows.form6().isVisible());

    form.mnuAbout->trigger();
    about *window = rig.windows.aboutIfLoaded();
    QVERIFY(window && window->isVisible());
    QVERIFY(window->Label2->text().contains(QLatin1String("system tray")));
    QCOMPARE(window->Command1->text(), QStringLiteral("OK"));
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(!rig.windows.aboutIfLoaded());

    form.mnuRuninBack->trigger();
    QVERIFY(!rig.main.isVisible());
    QVERIFY(rig.glint2()->InTray());
    // The other windows of the program are not the background's business.
    QVERIFY(rig.windows.compose().isVisible());
    QVERIFY(rig.windows.userOptions().isVisible());
    QCOMPARE(rig.quits, 0);
}

QTEST_MAIN(tst_Form8)
#include "tst_Form8.moc"
