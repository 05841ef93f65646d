#include "fs/PathFunctions.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QTest>

class tst_PathFunctions : public QObject
{
    Q_OBJECT

private slots:
    void pathParts();
    void fileExists_data();
    void fileExists();

private:
    TempFolder m_dir;
};

void tst_PathFunctions::pathParts()
{
    QCOMPARE(AddBackslash(""), QString("/"));
    QCOMPARE(AddBackslash("/"), QString("/"));
    QCOMPARE(AddBackslash("/office"), QString("/office/"));
    QCOMPARE(AddBackslash("/office/"), QString("/office/"));
    QCOMPARE(AddBackslash("C:\\"), QString("C:\\/")); // a backslash is a name character here
    QCOMPARE(FileNamePart("/office/History/a.msg"), QString("a.msg"));
    QCOMPARE(FileNamePart("a.msg"), QString("a.msg"));
    QCOMPARE(FileNamePart("/office/"), QString());
    QCOMPARE(FileNamePart(""), QString());
}

void tst_PathFunctions::fileExists_data()
{
    m_dir.write("st.kfl", "no\r\n");
    m_dir.write("EMPTY.KFL", "");
    m_dir.write(".hidden.kfl", "x\r\n");
    m_dir.makeFolder("History");
    m_dir.makeFolder("outside");
    m_dir.write("outside/du.kfl", "x\r\n");
    QFile::link(m_dir.file("st.kfl"), m_dir.file("link.kfl"));
    QFile::link(m_dir.file("gone.kfl"), m_dir.file("dangling.kfl"));
    QFile::link(m_dir.file("outside"), m_dir.file("linked"));

    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("regular") << "st.kfl" << true;
    QTest::newRow("zero bytes") << "EMPTY.KFL" << true;
    QTest::newRow("other case") << "ST.KFL" << false;
    QTest::newRow("other case 2") << "empty.kfl" << false;
    QTest::newRow("missing") << "us.kfl" << false;
    QTest::newRow("hidden") << ".hidden.kfl" << false;
    QTest::newRow("folder") << "History" << false;
    QTest::newRow("ends with separator") << "History/" << false;
    QTest::newRow("link to a file") << "link.kfl" << false;
    QTest::newRow("dangling link") << "dangling.kfl" << false;
    QTest::newRow("in a linked folder") << "linked/du.kfl" << false;
    QTest::newRow("in a sub-folder") << "outside/du.kfl" << true;
}

void tst_PathFunctions::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QCOMPARE(FileExists(m_dir.file(name)), exists);
}

QTEST_GUILESS_MAIN(tst_PathFunctions)
#include "tst_PathFunctions.moc"
