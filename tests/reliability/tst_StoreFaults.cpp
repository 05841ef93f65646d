#include "FolderProbe.h"
#include "fs/FileList.h"
#include "fs/SafeFile.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>

// What the system can do to a running copy: its folder vanishes, the History folder is
// missing, the disk fills up, another copy deletes or moves a file under its feet. Every
// case must end in a clear failure with the old files as they were.
class tst_StoreFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void dataFolderGoneWhileRunning_data();
    void dataFolderGoneWhileRunning();
    void moveWithoutHistoryKeepsTheSource();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void fullTmpfsKeepsTheOldFile();
    void fileGoneBetweenListingAndUse_data();
    void fileGoneBetweenListingAndUse();
};

void tst_StoreFaults::cleanup()
{
    SafeFile::setInjectedWriteFailure(0);
    SafeFile::setInjectedRenameFailure(0);
}

void tst_StoreFaults::dataFolderGoneWhileRunning_data()
{
    QTest::addColumn<bool>("replacedByFile");
    QTest::newRow("removed") << false;
    QTest::newRow("replaced by a file") << true;
}

void tst_StoreFaults::dataFolderGoneWhileRunning()
{
    QFETCH(bool, replacedByFile);
    TempFolder root;
    root.makeFolder("data/History");
    const QString data = root.file("data");
    root.write("data/lunch.ms3", "Lunch at one\r\n");
    root.write("data/pp2u.kfl", "ann\r\n");
    FileList inbox;
    inbox.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(inbox.setPath(data));
    QCOMPARE(inbox.count(), 1);

    QVERIFY(QDir(data).removeRecursively());
    if (replacedByFile)
        root.write("data", "not a folder");

    const StoreResult written = Store::writeWholeText(data + "/new.ms3", "text");
    QCOMPARE(written.error, StoreResult::Error::NotFound);
    QVERIFY(!written.describe().isEmpty());
    QCOMPARE(Store::writeSingleValue(data + "/pp2u.kfl", "bob").error,
             StoreResult::Error::NotFound);
    StoreResult read;
    QCOMPARE(Store::readFirstField(data + "/pp2u.kfl", &read), QString());
    QCOMPARE(read.error, StoreResult::Error::NotFound);
    QCOMPARE(Store::guardedRead(data + "/st.kfl", "yes"), QString("yes"));
    QString text = "stale";
    QCOMPARE(Store::readWholeFile(data + "/lunch.ms3", &text).error, StoreResult::Error::NotFound);
    QCOMPARE(text, QString());
    bool readFailed = false;
    QCOMPARE(Store::moveMessage(data + "/lunch.ms3", data + "/History", &readFailed).error,
             StoreResult::Error::NotFound);
    QVERIFY(readFailed);
    QCOMPARE(Store::deleteMessage(data + "/lunch.ms3").error, StoreResult::Error::NotFound);

    QVERIFY(!inbox.refresh());
    QCOMPARE(inbox.count(), 0);
    QVERIFY(!inbox.setPath(data));
    QCOMPARE(inbox.count(), 0);
    // Nothing was created in its place.
    QCOMPARE(FolderProbe::entries(root.path()).size(), replacedByFile ? 1 : 0);
    if (replacedByFile)
        QCOMPARE(root.read("data"), QByteArray("not a folder"));
}

void tst_StoreFaults::moveWithoutHistoryKeepsTheSource()
{
    TempFolder dir;
    const QByteArray bytes("12:00  1.1.2027 \r\n \r\nbody\rwith a lone CR\n\0end", 44);
    dir.write("lunch.ms3", bytes);
    const auto before = FolderProbe::snapshot(dir.path());
    bool readFailed = true;
    const StoreResult moved
        = Store::moveMessage(dir.file("lunch.ms3"), dir.file("History"), &readFailed);
    QCOMPARE(moved.error, StoreResult::Error::NotFound);
    QVERIFY(!readFailed);
    QCOMPARE(dir.read("lunch.ms3"), bytes);
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(dir.path())), QStringList());
}

void tst_StoreFaults::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("failRename");
    QTest::newRow("whole text, write fails") << 0 << false;
    QTest::newRow("single value, write fails") << 1 << false;
    QTest::newRow("move, write fails") << 2 << false;
    QTest::newRow("whole text, rename fails") << 0 << true;
    QTest::newRow("move, rename fails") << 2 << true;
}

// The injected failure stands for ENOSPC, EDQUOT or EIO on any file system, shares included.
void tst_StoreFaults::fullDiskKeepsTheOldFile()
{
    QFETCH(int, operation);
    QFETCH(bool, failRename);
    TempFolder dir;
    dir.makeFolder("History");
    const QByteArray oldMessage("old message\r\n\r\nkept byte for byte\r\n");
    const QByteArray oldHistory("the History copy\r\n");
    dir.write("m.ms3", oldMessage);
    dir.write("History/m.ms3", oldHistory);
    dir.write("44u.kfl", "ann\r\n");
    const auto before = FolderProbe::snapshot(dir.path());

    if (failRename)
        SafeFile::setInjectedRenameFailure(EIO);
    else
        SafeFile::setInjectedWriteFailure(ENOSPC);
    StoreResult result;
    bool readFailed = true;
    switch (operation) {
    case 0:
        result = Store::writeWholeText(dir.file("m.ms3"), QString(100000, QLatin1Char('n')));
        break;
    case 1:
        result = Store::writeSingleValue(dir.file("44u.kfl"), "bob");
        break;
    default:
        result = Store::moveMessage(dir.file("m.ms3"), dir.file("History"), &readFailed);
        QVERIFY(!readFailed);
        break;
    }
    cleanup();
    QCOMPARE(result.error, StoreResult::Error::IoError);
    QCOMPARE(result.systemError, failRename ? EIO : ENOSPC);
    QVERIFY(!result.describe().isEmpty());
    // Old files as they were, no temporary anywhere, nothing else touched.
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(dir.path())), QStringList());
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);
    QCOMPARE(FolderProbe::temporaryCount(dir.file("History")), 0);
}

// A real full disk: a 256 KiB tmpfs. Needs root (or the capability to mount).
void tst_StoreFaults::fullTmpfsKeepsTheOldFile()
{
    TempFolder dir;
    const QByteArray target = QFile::encodeName(dir.path());
    if (::geteuid() != 0)
        QSKIP("mounting a small tmpfs needs root; the injected full disk covers this");
    if (::mount("tmpfs", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0)
        QSKIP(qPrintable(QStringLiteral("tmpfs mount refused: %1").arg(qt_error_string(errno))));
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount { target };

    const QByteArray old(100 * 1024, 'o');
    QVERIFY(Store::writeWholeText(dir.file("m.ms3"), QString::fromLatin1(old)).ok());
    const QByteArray oldFile = old + "\r\n";
    QCOMPARE(dir.read("m.ms3"), oldFile);

    // Old and new together do not fit: the new content cannot replace the old one.
    const StoreResult result
        = Store::writeWholeText(dir.file("m.ms3"), QString(200 * 1024, QLatin1Char('n')));
    QCOMPARE(result.error, StoreResult::Error::IoError);
    QCOMPARE(result.systemError, ENOSPC);
    QCOMPARE(dir.read("m.ms3"), oldFile);
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);

    // Fill the disk to the last block: even a one-line account file fails cleanly.
    int filler = 0;
    while (Store::writeWholeText(dir.file(QStringLiteral("fill%1.ms3").arg(filler)),
                                 QString(8 * 1024, QLatin1Char('f')))
               .ok())
        ++filler;
    QCOMPARE(Store::writeSingleValue(dir.file("m.ms3"), QString(12 * 1024, QLatin1Char('x'))).error,
             StoreResult::Error::IoError);
    QCOMPARE(dir.read("m.ms3"), oldFile);
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);

    // Once there is room again, saving works.
    for (int i = 0; i < filler; ++i)
        QVERIFY(Store::deleteMessage(dir.file(QStringLiteral("fill%1.ms3").arg(i))).ok());
    QVERIFY(Store::writeWholeText(dir.file("m.ms3"), "new").ok());
    QCOMPARE(dir.read("m.ms3"), QByteArray("new\r\n"));
}

void tst_StoreFaults::fileGoneBetweenListingAndUse_data()
{
    QTest::addColumn<bool>("movedToHistory");
    QTest::newRow("deleted by another copy") << false;
    QTest::newRow("moved to History by another copy") << true;
}

void tst_StoreFaults::fileGoneBetweenListingAndUse()
{
    QFETCH(bool, movedToHistory);
    TempFolder dir;
    dir.makeFolder("History");
    const QByteArray bytes("the message\r\n");
    dir.write("gone.ms3", bytes);
    FileList inbox;
    inbox.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(inbox.setPath(dir.path()));
    QCOMPARE(inbox.names(), QStringList { "gone.ms3" });
    const QString listed = dir.file(inbox.names().constFirst());

    // The other copy acts after our listing.
    if (movedToHistory)
        QVERIFY(Store::moveMessage(listed, dir.file("History")).ok());
    else
        QVERIFY(Store::deleteMessage(listed).ok());
    const auto before = FolderProbe::snapshot(dir.path());

    QString text;
    QCOMPARE(Store::readWholeFile(listed, &text).error, StoreResult::Error::NotFound);
    StoreResult read;
    QCOMPARE(Store::readFirstField(listed, &read), QString());
    QCOMPARE(read.error, StoreResult::Error::NotFound);
    bool readFailed = false;
    const StoreResult moved = Store::moveMessage(listed, dir.file("History"), &readFailed);
    QCOMPARE(moved.error, StoreResult::Error::NotFound);
    QVERIFY(readFailed);
    QCOMPARE(Store::deleteMessage(listed).error, StoreResult::Error::NotFound);
    // In particular the History copy the other copy made is not overwritten by an empty one.
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(dir.path())), QStringList());
    if (movedToHistory)
        QCOMPARE(dir.read("History/gone.ms3"), bytes + "\r\n");
    QVERIFY(inbox.refresh());
    QCOMPARE(inbox.count(), 0);
}

QTEST_GUILESS_MAIN(tst_StoreFaults)
#include "tst_StoreFaults.moc"
