#include "AppRig.h"
#include "accounts/Form5.h"
#include "accounts/usopt.h"
#include "app/Form3.h"
#include "app/Form6.h"
#include "app/Form7.h"
#include "app/Form8.h"
#include "app/about.h"
#include "fs/FileList.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/newmes.h"
#include "widgets/PictureButton.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QtTest>

class tst_Form1 : public QObject
{
    Q_OBJECT
private slots:
    void firstStartInEmptyFolder();
    void startupSetting_data();
    void startupSetting();
    void dataFolderWithTrailingSeparator();
    void counts_data();
    void counts();
    void messageDroppedInAndRemoved();
    void autoRetrieveOffStopsPolling_data();
    void autoRetrieveOffStopsPolling();
    void historyAppearingLaterIsCounted();
    void manualRetrieval();
    void retrieveRefusedWhileAutoRetrieveOn();
    void autoTimeFollowsMark();
    void doubleClicks();
    void closeRequestShowsOneDialog();
    void everyWindowUnloadsAlike_data();
    void everyWindowUnloadsAlike();
    void closeMark_data();
    void closeMark();
    void marksToggleOncePerDoubleClick();
    void menuOpensAtMouse();
};

void tst_Form1::firstStartInEmptyFolder()
{
    AppRig rig;
    rig.main.Form_Load();

    QVERIFY(QFileInfo(rig.dir.file("History")).isDir());
    QCOMPARE(rig.main.nam->text(), QStringLiteral("Default User"));
    QCOMPARE(rig.state.slotCode(), QStringLiteral("d"));
    QCOMPARE(rig.windows.form3().File1->path(), rig.dir.path());
    QCOMPARE(rig.windows.form3().File2->path(), rig.dir.path() + "/History/");
    QCOMPARE(rig.windows.form3().File1->pattern(), QStringLiteral("*.msg"));
    QVERIFY(rig.windows.form8().mnuStartup->isChecked());
    QCOMPARE(rig.p.shellLink.calls,
             QList<QStringList>({ { "StartUp", "Notavo", rig.dir.path() + "/Notavo", "" } }));

    // The main window waits for the splash.
    Form7 *splash = rig.windows.form7IfLoaded();
    QVERIFY(splash && splash->isVisible());
    QVERIFY(!rig.main.isVisible());
    QVERIFY(splash->Timer1->isActive());
    QCOMPARE(splash->Timer1->interval(), 4000);
    splash->Timer1_Timer();
    QVERIFY(!rig.windows.form7IfLoaded());
    QVERIFY(rig.main.isVisible());

    // A second start finds the History folder in place and goes on.
    rig.dir.write("History/kept.msg", "x");
    rig.main.Form_Load();
    QVERIFY(rig.dir.exists("History/kept.msg"));
    QCOMPARE(rig.p.shellLink.calls.size(), 2);
}

void tst_Form1::startupSetting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("runAtStartup");

    QTest::newRow("no") << "st.kfl" << QByteArray("no\r\n") << false;
    QTest::newRow("quoted no") << "st.kfl" << QByteArray("  \"no\"\r\n") << false;
    QTest::newRow("No") << "st.kfl" << QByteArray("No\r\n") << true;
    QTest::newRow("empty value") << "st.kfl" << QByteArray("\r\n") << true;
    QTest::newRow("zero bytes") << "st.kfl" << QByteArray() << true;
    QTest::newRow("other word") << "st.kfl" << QByteArray("never\r\n") << true;
    QTest::newRow("name in capitals") << "ST.KFL" << QByteArray("no\r\n") << true;
}

void tst_Form1::startupSetting()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, runAtStartup);

    AppRig rig;
    rig.dir.write(name, content);
    rig.main.Form_Load();
    QCOMPARE(rig.windows.form8().mnuStartup->isChecked(), runAtStartup);
    QCOMPARE(rig.p.shellLink.calls.size(), runAtStartup ? 1 : 0);
    // The sequence goes on past a failing shortcut and reads nothing back into the file.
    QCOMPARE(rig.dir.read(name), content);
}

void tst_Form1::dataFolderWithTrailingSeparator()
{
    TempFolder root;
    AppRig rig(root.path() + "/");
    rig.p.shellLink.result = false;
    rig.main.Form_Load();

    QCOMPARE(rig.windows.form3().File1->path(), root.path() + "/");
    QCOMPARE(rig.windows.form3().File2->path(), root.path() + "/History/");
    QVERIFY(QFileInfo(root.file("History")).isDir());
    QCOMPARE(rig.p.shellLink.calls.value(0).value(2), root.path() + "/Notavo");
}

void tst_Form1::counts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("inbox");
    QTest::addColumn<QString>("history");

    QTest::newRow("0") << 0 << "No New Messages."
                       << "No Messages in History.";
    QTest::newRow("1") << 1 << "1 New Message."
                       << "1 Message in History.";
    QTest::newRow("2") << 2 << "2 New Messages."
                       << "2 Messages in History.";
    QTest::newRow("12") << 12 << "12 New Messages."
                        << "12 Messages in History.";
}

void tst_Form1::counts()
{
    QFETCH(int, count);
    QFETCH(QString, inbox);
    QFETCH(QString, history);

    QCOMPARE(Form1::inboxCountText(count), inbox);
    QCOMPARE(Form1::historyCountText(count), history);

    AppRig rig;
    rig.dir.makeFolder("History");
    for (int i = 0; i < count; ++i) {
        rig.dir.write(QStringLiteral("m%1.msg").arg(i), "x");
        rig.dir.write(QStringLiteral("History/h%1.MSG").arg(i), "x");
    }
    // Other slots' messages and non-files are not counted.
    rig.dir.write("other.ms1", "x");
    rig.dir.makeFolder("folder.msg");
    rig.main.Form_Load();
    QTRY_COMPARE(rig.main.inb->text(), inbox);
    QTRY_COMPARE(rig.main.his->text(), history);
    QTRY_COMPARE(rig.glint1()->InTray(), count > 0);
}

void tst_Form1::messageDroppedInAndRemoved()
{
    AppRig rig;
    rig.main.Form_Load();
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    QCOMPARE(rig.glint1()->tiptext(), QStringLiteral("New Message!"));
    QCOMPARE(rig.glint1()->imagenumber(), 1);
    QCOMPARE(rig.glint1()->imagelist().size(), 2);
    QVERIFY(!rig.glint1()->InTray());

    rig.dir.write("lunch.msg", "x");
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));
    QTRY_VERIFY(rig.glint1()->InTray());

    QFile::remove(rig.dir.file("lunch.msg"));
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    QTRY_VERIFY(!rig.glint1()->InTray());
}

void tst_Form1::autoRetrieveOffStopsPolling_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("mark") << false;
    QTest::newRow("menu") << true;
}

void tst_Form1::autoRetrieveOffStopsPolling()
{
    QFETCH(bool, byMenu);
    AppRig rig;
    rig.main.Form_Load();
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    const auto toggle = [&] {
        if (byMenu)
            rig.windows.form8().mnuAutoRet->trigger();
        else
            rig.main.autret_Click();
    };

    toggle();
    QCOMPARE(rig.main.autret->text(), QString());
    QVERIFY(!rig.main.Timer1->isActive() && !rig.main.Timer3->isActive());
    QVERIFY(rig.main.Timer2->isActive() && rig.main.Timer4->isActive());
    QVERIFY(!rig.windows.form8().mnuAutoRet->isChecked());

    rig.dir.write("lunch.msg", "x");
    rig.dir.write("History/old.msg", "x");
    QTest::qWait(60);
    QCOMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    QCOMPARE(rig.main.his->text(), QStringLiteral("No Messages in History."));
    QVERIFY(!rig.glint1()->InTray());

    // Switched back on, the counts are rewritten at once, not at the next safety tick.
    toggle();
    QCOMPARE(rig.main.autret->text(), QStringLiteral("X"));
    QVERIFY(rig.windows.form8().mnuAutoRet->isChecked());
    QCOMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));
    QCOMPARE(rig.main.his->text(), QStringLiteral("1 Message in History."));
    QVERIFY(rig.glint1()->InTray());
}

void tst_Form1::historyAppearingLaterIsCounted()
{
    // The History folder cannot be made at start (a file holds its name); made later by hand,
    // it is counted as soon as it appears.
    AppRig rig;
    rig.dir.write("History", "not a folder");
    rig.main.Form_Load();
    QTRY_COMPARE(rig.main.his->text(), QStringLiteral("No Messages in History."));
    QVERIFY(QFile::remove(rig.dir.file("History")));
    rig.dir.makeFolder("History");
    rig.dir.write("History/old.msg", "x");
    QTRY_COMPARE(rig.main.his->text(), QStringLiteral("1 Message in History."));
}

void tst_Form1::manualRetrieval()
{
    AppRig rig;
    rig.main.Form_Load();
    rig.main.autret_Click();
    // As before the first tick (a slow start may already have had one): inb is empty.
    rig.main.inb->setText(QString());
    FakeDialogs &dialogs = rig.p.dialogs;

    rig.main.ret->pressDown();
    QVERIFY(rig.main.retp->isVisibleTo(&rig.main));
    rig.main.ret->releaseUp();
    QVERIFY(!rig.main.retp->isVisibleTo(&rig.main));
    QCOMPARE(dialogs.messageTexts(), QStringList { "Sorry, you have no new messages." });
    QCOMPARE(dialogs.last()->title, QStringLiteral("No Messages"));
    QCOMPARE(dialogs.last()->icon, Dialogs::Icon::Exclamation);
    QCOMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    QCOMPARE(rig.main.his->text(), QStringLiteral("No Messages in History."));

    // Already reading "No New Messages.": nothing at all is shown.
    rig.main.ret->pressDown();
    rig.main.ret->releaseUp();
    QCOMPARE(dialogs.calls().size(), 1);

    rig.dir.write("one.msg", "x");
    rig.dir.write("History/old.msg", "x");
    rig.main.ret->pressDown();
    rig.main.ret->releaseUp();
    QCOMPARE(dialogs.last()->text, QStringLiteral("You have 1 new message."));
    QCOMPARE(dialogs.last()->title, QStringLiteral("New Message"));
    QCOMPARE(rig.main.inb->text(), QStringLiteral("1 New Message."));
    QCOMPARE(rig.main.his->text(), QStringLiteral("1 Message in History."));
    QTRY_VERIFY(rig.glint1()->InTray());

    rig.dir.write("two.msg", "x");
    rig.dir.write("three.msg", "x");
    rig.main.ret->pressDown();
    rig.main.ret->releaseUp();
    QCOMPARE(dialogs.last()->text, QStringLiteral("You have 3 new messages."));
    QCOMPARE(dialogs.last()->title, QStringLiteral("New Messages"));
    QCOMPARE(rig.main.inb->text(), QStringLiteral("3 New Messages."));
}

void tst_Form1::retrieveRefusedWhileAutoRetrieveOn()
{
    AppRig rig;
    rig.main.Form_Load();
    rig.main.inb->setText(QString());
    // Polling goes on while the box is open.
    bool polledMeanwhile = false;
    rig.p.dialogs.whileOpen = [&] {
        rig.dir.write("lunch.msg", "x");
        polledMeanwhile = QTest::qWaitFor([&] { return rig.main.inb->text() == "1 New Message."; });
        rig.main.inb->setText(QString());
    };

    rig.main.ret->pressDown();
    rig.p.dialogs.whileOpen = nullptr;
    QVERIFY(polledMeanwhile);
    QCOMPARE(rig.p.dialogs.messageTexts(),
             QStringList { "Cannot recieve messages when 'auto recieve messages' is on." });
    QCOMPARE(rig.p.dialogs.last()->title, QStringLiteral("Sorry"));
    QVERIFY(!rig.main.retp->isVisibleTo(&rig.main));
    // The release after the box retrieves nothing, and the next press is checked again.
    rig.main.ret->releaseUp();
    QCOMPARE(rig.main.inb->text(), QString());
    rig.main.ret->pressDown();
    rig.main.ret->releaseUp();
    QCOMPARE(rig.p.dialogs.calls().size(), 2);
    QCOMPARE(rig.main.inb->text(), QString());
}

void tst_Form1::autoTimeFollowsMark()
{
    AppRig rig;
    rig.main.Form_Load();
    QAction *menuMark = rig.windows.form8().mnuAutoTime;
    QTRY_VERIFY(rig.windows.composeIfLoaded());
    QTimer *clock = rig.windows.compose().Timer1;
    QVERIFY(!rig.windows.compose().isVisible());
    QTRY_VERIFY(clock->isActive());

    rig.main.aut_Click();
    QCOMPARE(rig.main.aut->text(), QString());
    QVERIFY(!clock->isActive());
    QTRY_VERIFY(!menuMark->isChecked());

    rig.main.aut_Click();
    QCOMPARE(rig.main.aut->text(), QStringLiteral("X"));
    QVERIFY(clock->isActive());
    QTRY_VERIFY(menuMark->isChecked());

    // Timer4 follows the mark whoever sets it; any other text changes nothing.
    rig.main.aut->setText(QString());
    QTRY_VERIFY(!clock->isActive());
    QTRY_VERIFY(!menuMark->isChecked());
    rig.main.aut->setText(QStringLiteral("?"));
    clock->start();
    QTest::qWait(30);
    QVERIFY(clock->isActive());
    QVERIFY(!menuMark->isChecked());
}

void tst_Form1::doubleClicks()
{
    AppRig rig;
    rig.main.Form_Load();
    rig.main.show();
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));
    QTRY_COMPARE(rig.main.his->text(), QStringLiteral("No Messages in History."));

    QTest::mouseDClick(rig.main.inb, Qt::LeftButton);
    QTest::mouseDClick(rig.main.his, Qt::LeftButton);
    QVERIFY(!rig.windows.form4IfLoaded());

    emit rig.glint1()->DblClick();
    QVERIFY(rig.windows.form4IfLoaded());
    rig.windows.unload(rig.windows.form4IfLoaded());

    rig.dir.write("History/old.msg", "x");
    QTRY_COMPARE(rig.main.his->text(), QStringLiteral("1 Message in History."));
    QTest::mouseDClick(rig.main.his, Qt::LeftButton);
    QVERIFY(rig.windows.form4IfLoaded());

    QTest::mouseDClick(rig.main.nam, Qt::LeftButton);
    QVERIFY(rig.windows.form5IfLoaded() && rig.windows.form5IfLoaded()->isVisible());
}

void tst_Form1::closeRequestShowsOneDialog()
{
    AppRig rig;
    rig.main.show();
    QVERIFY(!rig.main.close());
    QVERIFY(rig.main.isVisible());
    Form6 *dialog = rig.windows.form6IfLoaded();
    QVERIFY(dialog && dialog->isVisible());

    QVERIFY(!rig.main.close());
    rig.windows.form8().mnuExit->trigger();
    QCOMPARE(rig.windows.form6IfLoaded(), dialog);
    int dialogs = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        dialogs += qobject_cast<Form6 *>(window) != nullptr;
    QCOMPARE(dialogs, 1);
    QCOMPARE(rig.quits, 0);
}

namespace {

// Each window the registry builds on demand, and the one it holds while loaded.
struct RegistryWindow
{
    QWidget *(*load)(WindowRegistry &);
    QWidget *(*loaded)(const WindowRegistry &);
};

const RegistryWindow registryWindows[] = {
    { [](WindowRegistry &w) -> QWidget * { return &w.form2(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.form2IfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.form4(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.form4IfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.form5(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.form5IfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.compose(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.composeIfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.userOptions(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.userOptionsIfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.form6(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.form6IfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.form7(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.form7IfLoaded();
      } },
    { [](WindowRegistry &w) -> QWidget * { return &w.aboutWindow(); },
      [](const WindowRegistry &w) -> QWidget * {
          return w.aboutIfLoaded();
      } },
};

} // namespace

void tst_Form1::everyWindowUnloadsAlike_data()
{
    QTest::addColumn<int>("index");
    const char *names[]
        = { "Form2", "Form4", "Form5", "newmes", "usopt", "Form6", "Form7", "about" };
    for (int i = 0; i < int(std::size(names)); ++i)
        QTest::newRow(names[i]) << i;
}

void tst_Form1::everyWindowUnloadsAlike()
{
    QFETCH(int, index);
    const RegistryWindow &kind = registryWindows[index];
    QPointer<QWidget> first;
    QPointer<QWidget> second;
    {
        AppRig rig;
        first = kind.load(rig.windows);
        QVERIFY(rig.windows.isLoaded(first));
        QCOMPARE(kind.loaded(rig.windows), first.data());

        rig.windows.unload(first);
        QVERIFY(!rig.windows.isLoaded(first));
        QVERIFY(!kind.loaded(rig.windows));
        QTRY_VERIFY(!first);
        second = kind.load(rig.windows);
        QVERIFY(second && rig.windows.isLoaded(second));
        // The menu lives as long as the registry: unloading it only hides it.
        Form8 *menu = &rig.windows.form8();
        rig.windows.unload(menu);
        QCOMPARE(&rig.windows.form8(), menu);
    }
    // The registry deletes what it still holds.
    QVERIFY(!second);
}

void tst_Form1::closeMark_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    // The close mark has no menu: the right button closes too.
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void tst_Form1::closeMark()
{
    QFETCH(Qt::MouseButton, button);
    AppRig rig;
    rig.main.show();
    QCOMPARE(rig.main.Label1->text(), QStringLiteral("X"));
    QCOMPARE(rig.main.Label1->fontInfo().pixelSize(), 24); // 18 point
    QVERIFY(rig.main.Label1->font().bold());

    QTest::mousePress(rig.main.Label1, button);
    QCOMPARE(rig.main.Label1->text(), QStringLiteral("o"));
    QCOMPARE(rig.main.Label1->fontInfo().pixelSize(), 16); // 12 point
    QVERIFY(!rig.windows.form6IfLoaded());

    QTest::mouseRelease(rig.main.Label1, button);
    QCOMPARE(rig.main.Label1->text(), QStringLiteral("X"));
    QCOMPARE(rig.main.Label1->fontInfo().pixelSize(), 24);
    QVERIFY(rig.windows.form6IfLoaded() && rig.windows.form6IfLoaded()->isVisible());
    QVERIFY(!rig.windows.form8().mnu->isVisible());
}

void tst_Form1::marksToggleOncePerDoubleClick()
{
    AppRig rig;
    rig.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.main));
    rig.main.Timer4_Timer(); // the compose clock follows aut
    for (QLabel *mark : { rig.main.aut, rig.main.autret }) {
        // A double-click as the system delivers it (press, release, double-click, release) is
        // one click.
        QTest::mouseDClick(rig.main.windowHandle(), Qt::LeftButton, {}, mark->geometry().center());
        QCOMPARE(mark->text(), QString());
        QTest::mouseClick(mark, Qt::LeftButton);
        QCOMPARE(mark->text(), QStringLiteral("X"));
    }
}

void tst_Form1::menuOpensAtMouse()
{
    AppRig rig;
    rig.main.move(40, 30);
    rig.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.main));
    QMenu *menu = rig.windows.form8().mnu;

    QTest::mousePress(&rig.main, Qt::LeftButton, {}, QPoint(20, 110));
    QVERIFY(!menu->isVisible());
    QTest::mousePress(&rig.main, Qt::RightButton, {}, QPoint(20, 110));
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), rig.main.mapToGlobal(QPoint(20, 110)));
    menu->close();

    // The menu button adds its own coordinates to the window's, as the menu always did.
    QCursor::setPos(rig.main.Image2->mapToGlobal(QPoint(7, 5)));
    rig.main.Image2->pressDown();
    QVERIFY(rig.main.Image3->isVisibleTo(&rig.main));
    QVERIFY(!menu->isVisible());
    rig.main.Image2->releaseUp();
    QVERIFY(!rig.main.Image3->isVisibleTo(&rig.main));
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), rig.main.mapToGlobal(QPoint(7, 5)));
    menu->close();

    rig.main.Image2->pressDown(Qt::RightButton);
    rig.main.Image2->releaseUp(Qt::RightButton);
    QVERIFY(!menu->isVisible());
}

QTEST_MAIN(tst_Form1)
#include "tst_Form1.moc"
