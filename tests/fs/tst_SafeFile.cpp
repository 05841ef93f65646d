#include "fs/SafeFile.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using SafeFile::Status;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Sets a file's (or a link's own) modification time to secondsAgo in the past.
void age(const QString &path, int secondsAgo)
{
    timeval times[2];
    gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= secondsAgo;
    times[1] = times[0];
    QVERIFY(lutimes(QFile::encodeName(path).constData(), times) == 0);
}

} // namespace

class tst_SafeFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void replaceKeepsTheModeAndLeavesNoTemporary();
    void failedWriteLosesNothing_data();
    void failedWriteLosesNothing();
    void plantedLinksAreNeverUsed_data();
    void plantedLinksAreNeverUsed();
    void linkedFolderIsRefused();
    void nonRegularFilesAreRefused();
    void staleTemporariesAreRemoved();
    void folderSyncFailureIsReported();
};

void tst_SafeFile::cleanup()
{
    SafeFile::setInjectedWriteFailure(0);
    SafeFile::setInjectedRenameFailure(0);
    SafeFile::setInjectedFolderSyncFailure(0);
}

void tst_SafeFile::replaceKeepsTheModeAndLeavesNoTemporary()
{
    TempFolder dir;
    dir.write("a.msg", "old");
    QVERIFY(QFile::setPermissions(dir.file("a.msg"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(SafeFile::replace(dir.file("a.msg"), "new").ok());
    QCOMPARE(dir.read("a.msg"), QByteArray("new"));
    QCOMPARE(QFile::permissions(dir.file("a.msg")) & 0x0777, QFile::Permissions(0x0640));
    QCOMPARE(entries(dir.path()), QStringList("a.msg"));
}

void tst_SafeFile::failedWriteLosesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("writeFailure");
    QTest::addColumn<int>("renameFailure");
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("asNew"); // create() instead of replace()
    QTest::newRow("folder missing") << "missing/a.msg" << 0 << 0 << Status::NotFound << false;
    QTest::newRow("path through a file") << "a.msg/b.msg" << 0 << 0 << Status::NotFound << false;
    QTest::newRow("name too long") << QString(256, 'n') << 0 << 0 << Status::IoError << false;
    QTest::newRow("NUL in name") << QString("a.msg") + QChar(0) + "x" << 0 << 0 << Status::IoError
                                 << false;
    QTest::newRow("disk full") << "a.msg" << ENOSPC << 0 << Status::IoError << false;
    QTest::newRow("rename refused") << "a.msg" << 0 << EPERM << Status::IoError << false;
    QTest::newRow("new: folder missing") << "missing/a.msg" << 0 << 0 << Status::NotFound << true;
    QTest::newRow("new: name too long") << QString(256, 'n') << 0 << 0 << Status::IoError << true;
    QTest::newRow("new: disk full") << "b.msg" << ENOSPC << 0 << Status::IoError << true;
    QTest::newRow("new: rename refused") << "a.msg" << 0 << EPERM << Status::IoError << true;
}

void tst_SafeFile::failedWriteLosesNothing()
{
    QFETCH(QString, name);
    QFETCH(int, writeFailure);
    QFETCH(int, renameFailure);
    QFETCH(Status, status);
    QFETCH(bool, asNew);
    TempFolder dir;
    dir.write("a.msg", "old content\r\n");
    SafeFile::setInjectedWriteFailure(writeFailure);
    SafeFile::setInjectedRenameFailure(renameFailure);
    QString created;
    const SafeFile::Result result = asNew
        ? SafeFile::create(dir.file(name), QByteArray(100000, 'x'), &created)
        : SafeFile::replace(dir.file(name), QByteArray(100000, 'x'));
    QVERIFY(created.isEmpty());
    QCOMPARE(result.status, status);
    QVERIFY(result.systemError != 0);
    QCOMPARE(dir.read("a.msg"), QByteArray("old content\r\n"));
    QCOMPARE(entries(dir.path()), QStringList("a.msg"));
}

void tst_SafeFile::plantedLinksAreNeverUsed_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("to a file outside") << "outside/secret.msg";
    QTest::newRow("to a folder outside") << "outside";
    QTest::newRow("dangling") << "outside/nothing.msg";
    QTest::newRow("loop") << "data/link.msg";
}

void tst_SafeFile::plantedLinksAreNeverUsed()
{
    QFETCH(QString, target);
    TempFolder dir;
    dir.makeFolder("outside");
    dir.write("outside/secret.msg", "secret\r\n");
    dir.makeFolder("data");
    QVERIFY(QFile::link(dir.file(target), dir.file("data/link.msg")));
    const QString link = dir.file("data/link.msg");

    QByteArray read = "stale";
    QCOMPARE(SafeFile::readAll(link, &read, -1).status, Status::NotRegular);
    QVERIFY(read.isEmpty());
    QCOMPARE(SafeFile::replace(link, "planted").status, Status::NotRegular);
    QCOMPARE(SafeFile::remove(link).status, Status::NotRegular);
    QVERIFY(!SafeFile::isRegularFile(link));

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(entries(dir.file("data")), QStringList("link.msg"));
    QCOMPARE(entries(dir.file("outside")), QStringList("secret.msg"));
    QCOMPARE(dir.read("outside/secret.msg"), QByteArray("secret\r\n"));
}

void tst_SafeFile::linkedFolderIsRefused()
{
    // Someone replaced the History folder with a link to a folder of theirs (or ours).
    TempFolder dir;
    dir.makeFolder("outside");
    dir.write("outside/a.msg", "outside\r\n");
    QVERIFY(QFile::link(dir.file("outside"), dir.file("History")));

    QByteArray read;
    QCOMPARE(SafeFile::readAll(dir.file("History/a.msg"), &read, -1).status, Status::NotRegular);
    QCOMPARE(SafeFile::replace(dir.file("History/a.msg"), "x").status, Status::NotRegular);
    QCOMPARE(SafeFile::replace(dir.file("History/b.msg"), "x").status, Status::NotRegular);
    QCOMPARE(SafeFile::remove(dir.file("History/a.msg")).status, Status::NotRegular);
    QVERIFY(!SafeFile::isRegularFile(dir.file("History/a.msg")));
    QCOMPARE(SafeFile::openFolder(dir.file("History/")), -1);
    QCOMPARE(errno, ELOOP);
    QCOMPARE(entries(dir.file("outside")), QStringList("a.msg"));
    QCOMPARE(dir.read("outside/a.msg"), QByteArray("outside\r\n"));

    // Where links are the user's own business, the folder link is followed.
    QVERIFY(
        SafeFile::replace(dir.file("History/c.desktop"), "x", SafeFile::FolderLinks::Follow).ok());
    QCOMPARE(dir.read("outside/c.desktop"), QByteArray("x"));
}

void tst_SafeFile::nonRegularFilesAreRefused()
{
    TempFolder dir;
    dir.makeFolder("folder.msg");
    QVERIFY(mkfifo(QFile::encodeName(dir.file("fifo.msg")).constData(), 0600) == 0);
    for (const QString &name : QStringList({ "folder.msg", "fifo.msg" })) {
        QByteArray read;
        // A FIFO must not block the read; neither may be replaced or removed.
        QCOMPARE(SafeFile::readAll(dir.file(name), &read, -1).status, Status::NotRegular);
        QCOMPARE(SafeFile::replace(dir.file(name), "x").status, Status::NotRegular);
        QCOMPARE(SafeFile::remove(dir.file(name)).status, Status::NotRegular);
    }
    QCOMPARE(SafeFile::replace(dir.path() + "/", "x").status, Status::NotRegular);
    QCOMPARE(entries(dir.path()), QStringList({ "fifo.msg", "folder.msg" }));
}

void tst_SafeFile::staleTemporariesAreRemoved()
{
    TempFolder dir;
    const QString prefix = SafeFile::TemporaryPrefix;
    dir.write(prefix + "old", "crashed");
    dir.write(prefix + "fresh", "being written");
    dir.write("old.msg", "message");
    dir.write("outside.msg", "not ours");
    QVERIFY(QFile::link(dir.file("outside.msg"), dir.file(prefix + "link")));
    for (const QString &name : QStringList({ prefix + "old", "old.msg", prefix + "link" }))
        age(dir.file(name), 7200);

    // Another copy is still writing this one, however old its time stamp looks (a server
    // whose clock is hours behind ours).
    dir.write(prefix + "locked", "being written by another copy");
    age(dir.file(prefix + "locked"), 7200);
    const int writer = ::open(QFile::encodeName(dir.file(prefix + "locked")).constData(), O_RDWR);
    QVERIFY(writer >= 0 && ::flock(writer, LOCK_EX) == 0);

    QCOMPARE(SafeFile::removeStaleTemporaries(dir.path(), 3600), 1);
    QCOMPARE(entries(dir.path()),
             QStringList({ prefix + "fresh", prefix + "link", prefix + "locked", "old.msg",
                           "outside.msg" }));
    ::close(writer);
    QCOMPARE(SafeFile::removeStaleTemporaries(dir.path(), 3600), 1);
    QVERIFY(!entries(dir.path()).contains(prefix + "locked"));
    QCOMPARE(SafeFile::removeStaleTemporaries(dir.file("missing"), 0), 0);
}

void tst_SafeFile::folderSyncFailureIsReported()
{
    TempFolder dir;
    // The file may be lost in a crash: the save must not be reported as done.
    SafeFile::setInjectedFolderSyncFailure(EIO);
    const SafeFile::Result result = SafeFile::replace(dir.file("a.msg"), "new");
    QCOMPARE(result.status, Status::IoError);
    QCOMPARE(result.systemError, EIO);
    // A file system that cannot sync folders at all says so; that is no failure.
    SafeFile::setInjectedFolderSyncFailure(EINVAL);
    QVERIFY(SafeFile::replace(dir.file("a.msg"), "new").ok());
}

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_SafeFile.moc"
