// How listings find changes without re-reading their folder: named changes from the system,
// one stat per question on shares, and the full reads that catch what either missed.
#include "platform/fs/FileList.h"
#include "platform/fs/FolderWatch.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_FolderWatch : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { FolderWatch::setDefaultMode(FolderWatch::Mode::Automatic); }

    void localFolderIsWatchedByNotification();
    void namedChangesKeepTheListExact();
    void namesChangeOnlyWhenRefreshed();
    void manyChangesFallBackToAFullRead();
    void folderReplacedWhileWatched();
    void shareChangeMissedByStatIsFoundWithinASecond();
    void shareUnchangedFolderIsNotReadAgain();
    void literalModeReadsEveryTime();
};

namespace {

// Sets a folder's modification time back, as a coarse share time stamp would leave it.
void restoreModificationTime(const QString &folder, const struct stat &before)
{
    const timespec times[2] = { before.st_atim, before.st_mtim };
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0);
}

struct stat statOf(const QString &path)
{
    struct stat info
    { };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}

} // namespace

void tst_FolderWatch::localFolderIsWatchedByNotification()
{
    TempFolder dir;
    FileList list;
    QSignalSpy pending(&list, &FileList::changePending);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.watchMode(), FolderWatch::Mode::Notify);

    dir.write("a.msg", "x");
    QVERIFY(pending.wait(2000));
    QCOMPARE(list.count(), 0); // told, but not yet re-read
    QVERIFY(list.refresh());
    QCOMPARE(list.names(), QStringList { "a.msg" });
}

void tst_FolderWatch::namedChangesKeepTheListExact()
{
    TempFolder dir;
    dir.write("b.msg", "x");
    dir.write("d.MSG", "x");
    TempFolder outside;
    outside.write("secret.msg", "x");
    FileList list;
    QVERIFY(list.setPath(dir.path()));

    dir.write("A.msg", "x"); // created
    dir.write("c.ms1", "x"); // another slot
    dir.write(".hidden.msg", "x"); // dot-file
    QVERIFY(QFile::rename(dir.file("b.msg"), dir.file("e.msg"))); // renamed
    QVERIFY(QFile::remove(dir.file("d.MSG"))); // deleted
    QVERIFY(QFile::link(outside.file("secret.msg"), dir.file("link.msg"))); // planted link
    dir.makeFolder("folder.msg"); // a folder
    dir.write("f.msg", "x");
    QVERIFY(QFile::remove(dir.file("f.msg")));
    QVERIFY(QFile::link(outside.file("secret.msg"), dir.file("f.msg"))); // replaced by a link

    QVERIFY(list.refresh());
    QCOMPARE(list.names(), (QStringList { "A.msg", "e.msg" }));

    // The incremental result equals what a fresh read of the folder gives.
    FileList fresh;
    QVERIFY(fresh.setPath(dir.path()));
    QCOMPARE(list.names(), fresh.names());
}

void tst_FolderWatch::namesChangeOnlyWhenRefreshed()
{
    // With Auto Retrieve off nobody refreshes: the count must stay as last read.
    TempFolder dir;
    FileList list;
    QVERIFY(list.setPath(dir.path()));
    QSignalSpy changed(&list, &FileList::namesChanged);
    dir.write("a.msg", "x");
    QTest::qWait(50);
    QCOMPARE(list.count(), 0);
    QCOMPARE(changed.count(), 0);
    list.refresh();
    QCOMPARE(list.count(), 1);
    QCOMPARE(changed.count(), 1);
}

void tst_FolderWatch::manyChangesFallBackToAFullRead()
{
    TempFolder dir;
    FileList list;
    QVERIFY(list.setPath(dir.path()));
    const int files = FolderWatch::MaxPendingNames + 100;
    for (int i = 0; i < files; ++i)
        dir.write(QStringLiteral("m%1.msg").arg(i), "x");
    QVERIFY(list.refresh());
    QCOMPARE(list.count(), files);
}

void tst_FolderWatch::folderReplacedWhileWatched()
{
    TempFolder parent;
    parent.makeFolder("data");
    const QString folder = parent.file("data");
    FileList list;
    QVERIFY(list.setPath(folder));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(!list.refresh());
    QCOMPARE(list.count(), 0);

    // The folder comes back with a message in it: the next refresh sees it.
    parent.makeFolder("data");
    parent.write("data/back.msg", "x");
    QVERIFY(list.refresh());
    QCOMPARE(list.names(), QStringList { "back.msg" });
}

void tst_FolderWatch::shareChangeMissedByStatIsFoundWithinASecond()
{
    FolderWatch::setDefaultMode(FolderWatch::Mode::Poll);
    TempFolder dir;
    FileList list;
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.watchMode(), FolderWatch::Mode::Poll);

    // A change whose folder stamp does not move (coarse time stamps on a share).
    const struct stat before = statOf(dir.path());
    dir.write("late.msg", "x");
    restoreModificationTime(dir.path(), before);
    QCOMPARE(statOf(dir.path()).st_size, before.st_size);

    list.refresh();
    QCOMPARE(list.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT((list.refresh(), list.count()), 1,
                              FolderWatch::FullReadIntervalMs + 500);
}

void tst_FolderWatch::shareUnchangedFolderIsNotReadAgain()
{
    FolderWatch::setDefaultMode(FolderWatch::Mode::Poll);
    TempFolder dir;
    FolderWatch watch;
    watch.watch(dir.path());
    watch.markFullRead();
    QVERIFY(!watch.takeChanges().fullReadNeeded);
    dir.write("new.msg", "x");
    QVERIFY(watch.takeChanges().fullReadNeeded);
    watch.markFullRead();
    QVERIFY(!watch.takeChanges().fullReadNeeded);
}

void tst_FolderWatch::literalModeReadsEveryTime()
{
    FolderWatch::setDefaultMode(FolderWatch::Mode::Literal);
    TempFolder dir;
    FolderWatch watch;
    watch.watch(dir.path());
    watch.markFullRead();
    QCOMPARE(watch.mode(), FolderWatch::Mode::Literal);
    QVERIFY(watch.takeChanges().fullReadNeeded);
}

QTEST_GUILESS_MAIN(tst_FolderWatch)
#include "tst_FolderWatch.moc"
