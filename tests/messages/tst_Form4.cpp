// The browser's views: its design, the two listings and tabs, and opening a message.
#include "MessagesFixture.h"
#include "app/Form3.h"
#include "fs/FileList.h"
#include "fs/SafeFile.h"
#include "messages/MessageTextEdit.h"
#include "store/Store.h"

#include <QApplication>
#include <QLineEdit>

#include <cerrno>
#include <unistd.h>

class tst_Form4 : public QObject
{
    Q_OBJECT

private slots:
    void designState();
    void loadWithoutHistoryFolderSaysSoFirst_data();
    void loadWithoutHistoryFolderSaysSoFirst();
    void slotPatternInBothViews_data();
    void slotPatternInBothViews();
    void unlistableFoldersAreReportedAndWindowShown();
    void tabsSwitchViewAndFolder();
    void nothingSelectedDoesNothing();
    void openFillsViewerAndRestoresCursor();
    void unreadableEntryIsReportedAndNothingLost_data();
    void unreadableEntryIsReportedAndNothingLost();
};

void tst_Form4::designState()
{
    MessagesFixture f;
    Form4 &browser = f.windows.form4();
    QCOMPARE(browser.windowTitle(), QStringLiteral("History"));
    QVERIFY(browser.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(browser.size(), QSize(304, 267));
    QCOMPARE(browser.File1->geometry(), QRect(8, 8, 289, 188));
    QCOMPARE(browser.File1->path(), f.state.historyFolder());
    QCOMPARE(browser.File1->pattern(), QStringLiteral("*.msg"));
    QVERIFY(historyViewShown(browser));
    QCOMPARE(browser.inbred->text(), QStringLiteral("Inbox"));
    QCOMPARE(browser.hisblur->text(), QStringLiteral("History"));
    QCOMPARE(browser.history->geometry(), browser.inbox->geometry());
    const QList<QPair<PictureButton *, PictureButton *>> pairs
        = { { browser.exity, browser.exitp },  { browser.history, browser.historyp },
            { browser.inbox, browser.inboxp }, { browser.rename, browser.renamep },
            { browser.dely, browser.delp },    { browser.openy, browser.openp } };
    for (const auto &[button, twin] : pairs) {
        QCOMPARE(button->twin(), twin);
        QVERIFY(twin->isHidden());
        QCOMPARE(twin->geometry(), button->geometry());
        QVERIFY(!button->toolTip().isEmpty());
    }
    QCOMPARE(browser.openp->objectName(), QStringLiteral("openp"));
    QCOMPARE(browser.delp->objectName(), QStringLiteral("delp"));
    MessagesFixture::settle();
    QVERIFY(f.dialogs().calls().isEmpty());
}

void tst_Form4::loadWithoutHistoryFolderSaysSoFirst_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<QStringList>("routineBoxes");
    QTest::newRow("OpenInbox") << false << QStringList();
    QTest::newRow("OpenHistory") << true << QStringList { "Could not find history" };
}

// The load routine's box comes first, then the routine's own, one at a time, each before the
// browser shows.
void tst_Form4::loadWithoutHistoryFolderSaysSoFirst()
{
    QFETCH(bool, history);
    QFETCH(QStringList, routineBoxes);
    MessagesFixture f;
    QVERIFY(QDir(f.dir.file(QStringLiteral("History"))).removeRecursively());
    f.dir.write(QStringLiteral("a.msg"), "x");
    QList<bool> shownDuringBox;
    f.dialogs().whileOpen = [&] {
        shownDuringBox << (f.windows.form4IfLoaded() && f.windows.form4IfLoaded()->isVisible());
    };
    Form4 &browser = f.windows.form4();
    history ? browser.OpenHistory() : browser.OpenInbox();
    f.settle();
    const QString loadBox = QStringLiteral("Cannot find history folder, make sure ")
        + f.state.historyFolder() + QStringLiteral(" exists.");
    QCOMPARE(f.dialogs().messageTexts(), QStringList { loadBox } + routineBoxes);
    QCOMPARE(f.dialogs().calls().first().title, Dialogs::applicationTitle());
    QCOMPARE(f.dialogs().calls().first().icon, Dialogs::Icon::None);
    QCOMPARE(shownDuringBox, QList<bool>(routineBoxes.size() + 1, false));
    QVERIFY(browser.isVisible());
    if (!history)
        QCOMPARE(names(browser), QStringList { QStringLiteral("a.msg") });
}

void tst_Form4::slotPatternInBothViews_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QStringList>("inbox");
    QTest::addColumn<QStringList>("history");
    QTest::newRow("default") << "d" << QStringList { "a.msg", "B.MSG" } << QStringList { "h.msg" };
    QTest::newRow("User 2") << "2" << QStringList { "b.ms2", "c.MS2" } << QStringList { "h.ms2" };
    QTest::newRow("User 5") << "5" << QStringList { "e.ms5" } << QStringList {};
}

void tst_Form4::slotPatternInBothViews()
{
    QFETCH(QString, slot);
    QFETCH(QStringList, inbox);
    QFETCH(QStringList, history);
    MessagesFixture f;
    for (const char *name : { "a.msg", "B.MSG", "b.ms2", "c.MS2", "e.ms5", "x.txt", "msg" })
        f.dir.write(QLatin1String(name), "x");
    for (const char *name : { "h.msg", "h.ms2", "h.ms3" })
        f.dir.write(f.historyFile(QLatin1String(name)), "x");
    f.state.setSlotCode(slot);
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.isVisible());
    QVERIFY(inboxViewShown(browser));
    QCOMPARE(browser.File1->path(), f.state.dataFolder());
    QCOMPARE(names(browser), inbox);
    browser.OpenHistory();
    QVERIFY(historyViewShown(browser));
    QCOMPARE(browser.File1->path(), f.state.historyFolder());
    QCOMPARE(names(browser), history);
    QCOMPARE(browser.windowTitle(), QStringLiteral("History"));
}

void tst_Form4::unlistableFoldersAreReportedAndWindowShown()
{
    TestPlatform platform;
    TempFolder dir;
    AppState state(dir.file(QStringLiteral("gone")), platform.platform());
    WindowRegistry windows(state);
    Form4 &browser = windows.form4();
    MessagesFixture::settle();
    platform.dialogs.clear();

    bool shownDuringBox = true;
    platform.dialogs.whileOpen = [&] {
        shownDuringBox = browser.isVisible();
    };
    browser.OpenInbox();
    platform.dialogs.whileOpen = nullptr;
    QVERIFY(!shownDuringBox); // told before the window shows
    QCOMPARE(platform.dialogs.calls().size(), 1);
    QCOMPARE(platform.dialogs.last()->text, QStringLiteral("Could not find inbox"));
    QCOMPARE(platform.dialogs.last()->title, QStringLiteral("Inbox Missing"));
    QCOMPARE(platform.dialogs.last()->icon, Dialogs::Icon::Exclamation);
    QVERIFY(browser.isVisible());
    QVERIFY(inboxViewShown(browser));

    browser.OpenHistory();
    QCOMPARE(platform.dialogs.last()->text, QStringLiteral("Could not find history"));
    QCOMPARE(platform.dialogs.last()->title, QStringLiteral("History Missing"));
    QVERIFY(browser.isVisible());

    click(browser.inblur);
    QCOMPARE(platform.dialogs.last()->text, QStringLiteral("Could not find inbox"));
    QVERIFY(inboxViewShown(browser));
    click(browser.hisblur);
    QCOMPARE(platform.dialogs.last()->text, QStringLiteral("Could not find history folder"));
    QCOMPARE(platform.dialogs.last()->title, QStringLiteral("History Missing"));
    QVERIFY(historyViewShown(browser));
}

void tst_Form4::tabsSwitchViewAndFolder()
{
    MessagesFixture f;
    f.state.setSlotCode(QStringLiteral("3"));
    f.dir.write(QStringLiteral("in.ms3"), "x");
    f.dir.write(f.historyFile(QStringLiteral("old.ms3")), "x");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QCOMPARE(names(browser), QStringList { QStringLiteral("in.ms3") });

    // The pictures change on the press; the tab pressed stays under the pointer until the
    // release, which switches the folder.
    browser.hisblur->pressDown();
    QVERIFY(!browser.hisred->isHidden() && browser.inbred->isHidden());
    QVERIFY(browser.history->isHidden() && !browser.inbox->isHidden());
    browser.hisblur->releaseUp();
    QVERIFY(historyViewShown(browser));
    QCOMPARE(names(browser), QStringList { QStringLiteral("old.ms3") });
    QCOMPARE(browser.File1->pattern(), QStringLiteral("*.ms3"));

    click(browser.inblur);
    QVERIFY(inboxViewShown(browser));
    QCOMPARE(browser.File1->path(), f.state.dataFolder());
    QCOMPARE(names(browser), QStringList { QStringLiteral("in.ms3") });

    // Through the window, as a real click: the release must still reach the tab although the
    // active tab now covers it.
    QVERIFY(browser.windowHandle());
    const QPoint onTab = browser.hisblur->geometry().center();
    QTest::mousePress(browser.windowHandle(), Qt::LeftButton, {}, onTab);
    QTest::mouseRelease(browser.windowHandle(), Qt::LeftButton, {}, onTab);
    QVERIFY(historyViewShown(browser));
    QCOMPARE(browser.File1->path(), f.state.historyFolder());
    QVERIFY(f.dialogs().calls().isEmpty());
}

void tst_Form4::nothingSelectedDoesNothing()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "a\r\n");
    f.dir.write(f.historyFile(QStringLiteral("h.msg")), "h\r\n");
    f.dialogs().queueInput(QStringLiteral("renamed"));
    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QCOMPARE(browser.File1->fileName(), QString());
    for (PictureButton *button : { browser.openy, browser.rename, browser.dely, browser.history })
        click(button);
    browser.OpenHistory();
    for (PictureButton *button : { browser.openy, browser.rename, browser.dely, browser.inbox })
        click(button);
    f.settle();
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
    QCOMPARE(f.dir.read(QStringLiteral("a.msg")), QByteArray("a\r\n"));
    QCOMPARE(f.dir.read(f.historyFile(QStringLiteral("h.msg"))), QByteArray("h\r\n"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 1);
}

void tst_Form4::openFillsViewerAndRestoresCursor()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("hello.msg"), "Hi\r\nthere");
    Form2 *viewer = f.open(QStringLiteral("hello.msg"));
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->Text1->messageText(), QStringLiteral("Hi\r\nthere\r\n"));
    QCOMPARE(viewer->filn->text(), QStringLiteral("hello.msg"));
    QCOMPARE(viewer->pat->text(), f.state.dataFolder());
    QCOMPARE(f.state.referenceText, QStringLiteral("Hi\r\nthere\r\n"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(f.dialogs().calls().isEmpty());
}

void tst_Form4::unreadableEntryIsReportedAndNothingLost_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("problem");
    for (const char *action : { "openy", "rename", "history", "inbox" })
        for (const char *problem : { "vanished", "link", "too large" })
            QTest::addRow("%s %s", action, problem)
                << QString::fromLatin1(action) << QString::fromLatin1(problem);
}

void tst_Form4::unreadableEntryIsReportedAndNothingLost()
{
    QFETCH(QString, action);
    QFETCH(QString, problem);
    MessagesFixture f;
    const bool fromHistory = action == QLatin1String("inbox");
    const QString entry = fromHistory ? f.historyFile(QStringLiteral("m.msg")) : "m.msg";
    f.dir.write(entry, "text\r\n");
    f.dir.write(QStringLiteral("target.txt"), "elsewhere\r\n");
    Form4 &browser = f.windows.form4();
    if (fromHistory)
        browser.OpenHistory();
    else
        browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("m.msg")));

    // Someone changes the folder after the list was read.
    QVERIFY(QFile::remove(f.dir.file(entry)));
    if (problem == QLatin1String("link")) {
        QVERIFY(QFile::link(f.dir.file(QStringLiteral("target.txt")), f.dir.file(entry)));
    } else if (problem == QLatin1String("too large")) {
        QFile big(f.dir.file(entry));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(Store::MaxMessageBytes + 1));
    }
    f.dialogs().queueInput(QStringLiteral("renamed"));
    click(browser.findChild<PictureButton *>(action));

    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    QVERIFY2(f.dialogs().last()->text.contains(QStringLiteral("m.msg")),
             qPrintable(f.dialogs().last()->text));
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
    QCOMPARE(f.dir.read(QStringLiteral("target.txt")), QByteArray("elsewhere\r\n"));
    QVERIFY(!f.dir.exists(QStringLiteral("renamed.msg")));
    QVERIFY(!f.dir.exists(fromHistory ? QStringLiteral("m.msg")
                                      : f.historyFile(QStringLiteral("m.msg"))));
    if (problem == QLatin1String("vanished"))
        QCOMPARE(browser.File1->count(), 0);
    else
        QVERIFY(f.dir.exists(entry));
}

QTEST_MAIN(tst_Form4)
#include "tst_Form4.moc"
