#include "platform/fs/PathFunctions.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QTest>

class tst_PathFunctions : public QObject
{
    Q_OBJECT

private slots:
    void addBackslash_data();
    void addBackslash();
    void fileNamePart_data();
    void fileNamePart();
    void fileExists_data();
    void fileExists();

private:
    TempFolder m_dir;
};

void tst_PathFunctions::addBackslash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("joined");
    QTest::newRow("empty") << ""
                           << "/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("folder") << "/office"
                            << "/office/";
    QTest::newRow("ends with separator") << "/office/"
                                         << "/office/";
    QTest::newRow("backslash is a character") << "C:\\"
                                              << "C:\\/";
}

void tst_PathFunctions::addBackslash()
{
    QFETCH(QString, path);
    QFETCH(QString, joined);
    QCOMPARE(AddBackslash(path), joined);
}

void tst_PathFunctions::fileNamePart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("full path") << "/office/History/a.msg"
                               << "a.msg";
    QTest::newRow("name only") << "a.msg"
                               << "a.msg";
    QTest::newRow("ends with separator") << "/office/"
                                         << "";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_PathFunctions::fileNamePart()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileNamePart(path), name);
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
