// How listings find changes without re-reading their folder: named changes from the system,
// one stat per question on shares, and the full reads that catch what either missed.
#include "fs/FileList.h"
#include "fs/FileSystemType.h"
#include "fs/FolderPoller.h"
#include "fs/FolderWatch.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class tst_FolderWatch : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        FolderWatch::setDefaultMode(FolderWatch::Mode::Automatic);
        FileSystemType::setProbe({});
    }

    void localFolderIsWatchedByNotification();
    void fileSystemTypeDecidesMode_data();
    void fileSystemTypeDecidesMode();
    void namedChangesKeepTheListExact();
    void namesChangeOnlyWhenRefreshed();
    void manyChangesFallBackToAFullRead();
    void floodIsListedThenWatchedAgain();
    void folderReplacedWhileWatched_data();
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

void tst_FolderWatch::fileSystemTypeDecidesMode_data()
{
    QTest::addColumn<qint64>("type"); // -1: the system cannot tell
    QTest::addColumn<bool>("notify");
    QTest::newRow("ext4") << qint64(FileSystemType::Ext) << true;
    QTest::newRow("xfs") << qint64(FileSystemType::Xfs) << true;
    QTest::newRow("tmpfs") << qint64(FileSystemType::Tmpfs) << true;
    QTest::newRow("9p (WSL2, virtual machines)") << qint64(FileSystemType::NineP) << false;
    QTest::newRow("FUSE") << qint64(FileSystemType::Fuse) << false;
    QTest::newRow("NFS") << qint64(FileSystemType::Nfs) << false;
    QTest::newRow("CephFS") << qint64(0x00C36400) << false;
    QTest::newRow("VirtualBox") << qint64(0x786F4256) << false;
    QTest::newRow("unknown") << qint64(0x1BADFACE) << false;
    QTest::newRow("cannot tell") << qint64(-1) << false;
}

void tst_FolderWatch::fileSystemTypeDecidesMode()
{
    // Change notification never sees another computer's write: only a file system known to
    // be local may use it; everything else is polled, and the poll finds the message.
    QFETCH(qint64, type);
    QFETCH(bool, notify);
    FileSystemType::setProbe([type](const QString &) -> std::optional<quint32> {
        if (type < 0)
            return std::nullopt;
        return quint32(type);
    });
    TempFolder dir;
    FolderPoller poller;
    FileList list;
    list.setPoller(&poller);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.watchMode(), notify ? FolderWatch::Mode::Notify : FolderWatch::Mode::Poll);

    dir.write("from-elsewhere.msg", "x");
    QTRY_COMPARE((list.refresh(), list.count()), 1);
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

void tst_FolderWatch::floodIsListedThenWatchedAgain()
{
    // A stranger's rename loop: the watch gives way to listings while it runs, a message is
    // still noticed, and once it stops the folder is watched again with nothing missed.
    TempFolder dir;
    FolderWatch watch;
    watch.setNameFilter([](const char *name, std::size_t length) {
        return length > 4 && std::strcmp(name + length - 4, ".msg") == 0;
    });
    watch.watch(dir.path());
    QCOMPARE(watch.mode(), FolderWatch::Mode::Notify);
    watch.markFullRead();
    dir.write("loop-a.txt", "x");
    const QByteArray a = QFile::encodeName(dir.file("loop-a.txt"));
    const QByteArray b = QFile::encodeName(dir.file("loop-b.txt"));
    std::atomic<bool> stop = false;
    std::thread renamer([&] {
        for (int i = 0; !stop; ++i)
            std::rename(i % 2 ? b.constData() : a.constData(),
                        i % 2 ? a.constData() : b.constData());
    });
    auto joined = qScopeGuard([&] {
        stop = true;
        renamer.join();
    });
    QTRY_VERIFY_WITH_TIMEOUT(watch.inStorm(), 5000);
    QSignalSpy changed(&watch, &FolderWatch::changed);
    dir.write("during.msg", "x");
    QVERIFY(changed.wait(1000));
    QVERIFY(watch.takeChanges().fullReadNeeded);
    stop = true;
    renamer.join();
    joined.dismiss();
    dir.write("after-loop.msg", "x");
    QTRY_VERIFY_WITH_TIMEOUT(!watch.inStorm(), 2000);
    // The changes since the storm's last listing need a full read; then names are named again.
    QVERIFY(watch.takeChanges().fullReadNeeded);
    watch.markFullRead();
    dir.write("named.msg", "x");
    QVERIFY(changed.wait(1000));
    const FolderWatch::Changes changes = watch.takeChanges();
    QVERIFY(!changes.fullReadNeeded);
    QCOMPARE(changes.names, QSet<QString> { "named.msg" });
}

void tst_FolderWatch::folderReplacedWhileWatched_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("removed and made again") << "remove";
    // A clean-up script: mv History History-2023 && mkdir History.
    QTest::newRow("moved away and made again") << "move";
    // No event at all reaches the old watch: only the check of the folder's identity sees it.
    QTest::newRow("mounted over") << "mount";
}

void tst_FolderWatch::folderReplacedWhileWatched()
{
    QFETCH(QString, how);
    TempFolder parent;
    parent.makeFolder("data");
    parent.makeFolder("other");
    const QString folder = parent.file("data");
    FileList list;
    QVERIFY(list.setPath(folder));
    QVERIFY(list.refresh());

    if (how == "remove") {
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!list.refresh());
        QCOMPARE(list.count(), 0);
        parent.makeFolder("data");
    } else if (how == "move") {
        QVERIFY(QDir().rename(folder, parent.file("data-2023")));
        parent.makeFolder("data");
        parent.write("data-2023/filed-late.msg", "x");
    } else {
        if (QProcess::execute("mount", { "--bind", parent.file("other"), folder }) != 0)
            QSKIP("needs root to bind-mount a folder");
    }
    const auto unmount = qScopeGuard([&] {
        if (how == "mount")
            QProcess::execute("umount", { folder });
    });

    // Messages filed in the folder now at that path are found within 2 s.
    parent.write("data/one.msg", "x");
    parent.write("data/two.msg", "x");
    QTRY_COMPARE_WITH_TIMEOUT((list.refresh(), list.names()),
                              (QStringList { "one.msg", "two.msg" }), 2500);
    // And the healed watch reports the next change itself.
    QSignalSpy pending(&list, &FileList::changePending);
    parent.write("data/three.msg", "x");
    QVERIFY(pending.wait(2000));
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
