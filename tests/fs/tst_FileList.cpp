#include "fs/FileList.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

class tst_FileList : public QObject
{
    Q_OBJECT

private slots:
    void listsRegularMatchingFilesSorted();
    void patternsMatchWithoutCase();
    void refreshSeesChangesAndSignalsThem();
    void unlistableFolderGivesNoNames();
};

void tst_FileList::listsRegularMatchingFilesSorted()
{
    TempFolder dir;
    for (const char *name :
         { "b.msg", "a.msg", "C.MSG", "A.msg", "d.ms1", "e.msgx", ".hidden.msg" })
        dir.write(name, "x");
    dir.makeFolder("folder.msg");
    dir.makeFolder("outside");
    dir.write("outside/secret.msg", "x");
    QVERIFY(QFile::link(dir.file("outside/secret.msg"), dir.file("link.msg")));
    QVERIFY(QFile::link(dir.file("outside"), dir.file("linkdir.msg")));
    QVERIFY(QFile::link(dir.file("gone"), dir.file("dangling.msg")));
    QVERIFY(QFile::link(dir.file("loop.msg"), dir.file("loop.msg")));
    QVERIFY(mkfifo(QFile::encodeName(dir.file("fifo.msg")).constData(), 0600) == 0);

    FileList list;
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.pattern(), QString("*.msg"));
    QCOMPARE(list.names(), QStringList({ "A.msg", "a.msg", "b.msg", "C.MSG" }));
    QCOMPARE(list.count(), 4);
    list.setPattern("*.ms1");
    QCOMPARE(list.names(), QStringList("d.ms1"));
}

void tst_FileList::patternsMatchWithoutCase()
{
    FileList list;
    list.setPattern("*.ms3");
    QVERIFY(list.matches("lunch.ms3") && list.matches("LUNCH.MS3"));
    QVERIFY(!list.matches("lunch.ms34") && !list.matches("a.ms3.txt"));
    list.setPattern("a?.MSG");
    QVERIFY(list.matches("ab.msg") && !list.matches("abc.msg") && !list.matches("xab.msg"));
}

void tst_FileList::refreshSeesChangesAndSignalsThem()
{
    TempFolder dir;
    FileList list;
    QSignalSpy changed(&list, &FileList::namesChanged);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.count(), 0);
    dir.write("new.msg", "x");
    QCOMPARE(list.count(), 0); // the folder is not watched
    QVERIFY(list.refresh());
    QCOMPARE(list.names(), QStringList("new.msg"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(list.refresh());
    QCOMPARE(changed.count(), 1);
    QFile::remove(dir.file("new.msg"));
    QVERIFY(list.refresh());
    QCOMPARE(list.count(), 0);
    QCOMPARE(changed.count(), 2);
}

void tst_FileList::unlistableFolderGivesNoNames()
{
    TempFolder dir;
    dir.write("a.msg", "x");
    dir.makeFolder("outside");
    dir.write("outside/b.msg", "x");
    QVERIFY(QFile::link(dir.file("outside"), dir.file("History")));
    FileList list;
    QVERIFY(list.setPath(dir.path() + "/"));
    QCOMPARE(list.count(), 1);
    for (const char *folder : { "missing", "a.msg", "History", "History/" }) {
        QVERIFY2(!list.setPath(dir.file(folder)), folder);
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.path(), dir.path() + "/");
    }
}

QTEST_GUILESS_MAIN(tst_FileList)
#include "tst_FileList.moc"
