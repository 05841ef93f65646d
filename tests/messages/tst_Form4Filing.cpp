// The browser's filing actions: rename, delete, the two moves and exit.
#include "MessagesFixture.h"
#include "app/Form3.h"
#include "fs/FileList.h"
#include "fs/SafeFile.h"
#include "messages/MessageTextEdit.h"
#include "store/Store.h"

#include <QApplication>
#include <QLineEdit>

#include <cerrno>
#include <cstring>
#include <unistd.h>

class tst_Form4Filing : public QObject
{
    Q_OBJECT

private slots:
    void renameCompletesNameInSameFolder();
    void renameCancelledChangesNothing();
    void renameOntoItselfKeepsMessage_data();
    void renameOntoItselfKeepsMessage();
    void renameRefusesUnsafeAndUnwritableNames_data();
    void renameRefusesUnsafeAndUnwritableNames();
    void deleteAsksByNameAndLeavesCountersAlone();
    void moveToHistoryReplacesAndRefreshesCounters();
    void moveToHistoryWithoutHistoryFolder_data();
    void moveToHistoryWithoutHistoryFolder();
    void moveToInboxReplacesAndRefreshesCounters();
    void exitUnloads();
};

void tst_Form4Filing::renameCompletesNameInSameFolder()
{
    MessagesFixture f;
    f.state.setSlotCode(QStringLiteral("5"));
    f.dir.write(QStringLiteral("old.ms5"), "x\r\n");
    f.dir.write(QStringLiteral("memo.ms5"), "replaced without asking\r\n");
    f.dir.write(f.historyFile(QStringLiteral("past.ms5")), "p\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("old.ms5")));
    f.dialogs().queueInput(QStringLiteral("memo"));
    click(browser.rename);
    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Please enter new message name."));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Rename Message"));
    QVERIFY(!f.dir.exists(QStringLiteral("old.ms5")));
    QCOMPARE(f.dir.read(QStringLiteral("memo.ms5")), QByteArray("x\r\n\r\n"));
    QCOMPARE(names(browser), QStringList { QStringLiteral("memo.ms5") });

    browser.OpenHistory();
    QVERIFY(browser.File1->selectName(QStringLiteral("past.ms5")));
    f.dialogs().queueInput(QStringLiteral("kept"));
    click(browser.rename);
    QCOMPARE(f.dir.read(f.historyFile(QStringLiteral("kept.ms5"))), QByteArray("p\r\n\r\n"));
    QVERIFY(!f.dir.exists(QStringLiteral("kept.ms5")));
    QCOMPARE(names(browser), QStringList { QStringLiteral("kept.ms5") });
}

void tst_Form4Filing::renameCancelledChangesNothing()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "a\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    click(browser.rename);
    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dir.read(QStringLiteral("a.msg")), QByteArray("a\r\n"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 1);
}

void tst_Form4Filing::renameOntoItselfKeepsMessage_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("secondSpelling");
    QTest::newRow("same name") << "Memo" << false;
    QTest::newRow("other case") << "memo" << false;
    // A case-blind share maps another spelling onto the same file; a hard link would do that
    // here, but a file with a second name is not listed at all (it may be a private file
    // someone linked into the folder), so it cannot be renamed either.
    QTest::newRow("another name for the same file") << "alias" << true;
}

void tst_Form4Filing::renameOntoItselfKeepsMessage()
{
    QFETCH(QString, answer);
    QFETCH(bool, secondSpelling);
    MessagesFixture f;
    f.state.setSlotCode(QStringLiteral("5"));
    f.dir.write(QStringLiteral("Memo.ms5"), "keep me\r\n");
    if (secondSpelling)
        QCOMPARE(::link(QFile::encodeName(f.dir.file(QStringLiteral("Memo.ms5"))).constData(),
                        QFile::encodeName(f.dir.file(QStringLiteral("alias.ms5"))).constData()),
                 0);
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    if (secondSpelling) {
        QCOMPARE(names(browser), QStringList());
        return;
    }
    QVERIFY(browser.File1->selectName(QStringLiteral("Memo.ms5")));
    f.dialogs().queueInput(answer);
    click(browser.rename);

    QCOMPARE(f.dialogs().calls().size(), 1);
    const QString renamed = answer + QStringLiteral(".ms5");
    if (answer == QLatin1String("memo")) {
        // A file system that tells case apart simply gets the new spelling.
        QCOMPARE(f.dir.read(renamed), QByteArray("keep me\r\n\r\n"));
        QCOMPARE(names(browser), QStringList { renamed });
    } else {
        QCOMPARE(f.dir.read(QStringLiteral("Memo.ms5")), QByteArray("keep me\r\n"));
        QCOMPARE(f.dir.read(renamed), QByteArray("keep me\r\n"));
    }
}

void tst_Form4Filing::renameRefusesUnsafeAndUnwritableNames_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("parent") << "../out" << false;
    QTest::newRow("sub-folder") << "History/x" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("write fails") << "fine" << true;
}

void tst_Form4Filing::renameRefusesUnsafeAndUnwritableNames()
{
    QFETCH(QString, answer);
    QFETCH(bool, diskFull);
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "a\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    f.dialogs().queueInput(answer);
    if (diskFull)
        SafeFile::setInjectedWriteFailure(ENOSPC);
    click(browser.rename);
    SafeFile::setInjectedWriteFailure(0);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Invalid message name."));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Invalid"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    QCOMPARE(f.dir.read(QStringLiteral("a.msg")), QByteArray("a\r\n"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList { QStringLiteral("a.msg") });
    QVERIFY(QDir(f.dir.file(QStringLiteral("History"))).isEmpty());
    QVERIFY(!QFileInfo::exists(f.dir.file(QStringLiteral("../out.msg"))));
}

void tst_Form4Filing::deleteAsksByNameAndLeavesCountersAlone()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "a\r\n");
    f.windows.form3().File1->setPath(f.dir.path());
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    click(browser.dely);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Are you sure you want to delete 'a.msg'?"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Delete Message?"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Question);
    QCOMPARE(f.dialogs().last()->buttons, Dialogs::Buttons::YesNo);
    QVERIFY(f.dir.exists(QStringLiteral("a.msg")));

    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    click(browser.dely);
    QVERIFY(!f.dir.exists(QStringLiteral("a.msg")));
    QCOMPARE(browser.File1->count(), 0);
    QCOMPARE(f.windows.form3().File1->count(), 1);
}

void tst_Form4Filing::moveToHistoryReplacesAndRefreshesCounters()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "new\r\n");
    f.dir.write(f.historyFile(QStringLiteral("a.msg")), "old\r\n");
    f.windows.form3().File1->setPath(f.dir.path());
    f.windows.form3().File2->setPath(f.state.historyFolder());
    f.dir.write(f.historyFile(QStringLiteral("b.msg")), "b\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    click(browser.history);
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.dir.read(f.historyFile(QStringLiteral("a.msg"))), QByteArray("new\r\n\r\n"));
    QVERIFY(!f.dir.exists(QStringLiteral("a.msg")));
    QCOMPARE(browser.File1->count(), 0);
    QCOMPARE(f.windows.form3().File1->count(), 0);
    QCOMPARE(f.windows.form3().File2->count(), 2);
}

void tst_Form4Filing::moveToHistoryWithoutHistoryFolder_data()
{
    QTest::addColumn<int>("shareError"); // 0: History is missing
    QTest::newRow("History missing") << 0;
    // A share that fails the write (smbnetfs refusing a busy file) is not a missing folder:
    // the box names the real cause.
    QTest::newRow("share refuses the write") << EBUSY;
}

void tst_Form4Filing::moveToHistoryWithoutHistoryFolder()
{
    QFETCH(int, shareError);
    MessagesFixture f;
    f.dir.write(QStringLiteral("a.msg"), "a\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    if (shareError)
        SafeFile::setInjectedRenameFailure(shareError);
    else
        QVERIFY(QDir(f.dir.file(QStringLiteral("History"))).removeRecursively());
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    click(browser.history);
    SafeFile::setInjectedRenameFailure(0);
    const QString missingText = QStringLiteral("Cannot find history folder, make sure ")
        + f.state.historyFolder() + QStringLiteral(" exists.");
    if (shareError) {
        QVERIFY2(f.dialogs().last()->text.contains(QString::fromLocal8Bit(strerror(shareError))),
                 qPrintable(f.dialogs().last()->text));
        QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    } else {
        QCOMPARE(f.dialogs().last()->text, missingText);
        QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::None);
    }
    QCOMPARE(f.dir.read(QStringLiteral("a.msg")), QByteArray("a\r\n"));
}

void tst_Form4Filing::moveToInboxReplacesAndRefreshesCounters()
{
    MessagesFixture f;
    f.dir.write(f.historyFile(QStringLiteral("a.msg")), "from history\r\n");
    f.dir.write(QStringLiteral("a.msg"), "inbox copy\r\n");
    f.windows.form3().File1->setPath(f.dir.path());
    f.windows.form3().File2->setPath(f.state.historyFolder());
    f.dir.write(QStringLiteral("c.msg"), "c\r\n");
    Form4 &browser = f.windows.form4();
    browser.OpenHistory();
    QVERIFY(browser.File1->selectName(QStringLiteral("a.msg")));
    click(browser.inbox);
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.dir.read(QStringLiteral("a.msg")), QByteArray("from history\r\n\r\n"));
    QCOMPARE(browser.File1->count(), 0);
    QCOMPARE(f.windows.form3().File1->count(), 2);
    QCOMPARE(f.windows.form3().File2->count(), 0);
}

void tst_Form4Filing::exitUnloads()
{
    MessagesFixture f;
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    click(browser.exity);
    QCOMPARE(f.windows.form4IfLoaded(), nullptr);
    QVERIFY(browser.isHidden());
    // The next touch starts from the design state.
    QVERIFY(historyViewShown(f.windows.form4()));
}

QTEST_MAIN(tst_Form4Filing)
#include "tst_Form4Filing.moc"
