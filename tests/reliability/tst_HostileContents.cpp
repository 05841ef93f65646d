#include "FolderProbe.h"
#include "store/Cp1252Codec.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// Files of any size and any bytes, as another copy, another program or a hostile user may
// leave them: the store reads them by its rules or refuses them, quickly, and writes exactly
// what it is given.
class tst_HostileContents : public QObject
{
    Q_OBJECT

private slots:
    void hugeFileIsRefusedQuickly();
    void sizeLimitBoundary();
    void messageContents_data();
    void messageContents();
    void accountFiles_data();
    void accountFiles();
};

namespace {

bool makeSparse(const QString &path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok;
}

// The line rule written out independently of the store: CR LF or a lone CR end a line, a
// lone LF stays in it, every line (a last one without an end too) gets CR LF.
QString linesOf(const QByteArray &bytes)
{
    QByteArray out;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '\r') {
            line += bytes.at(i);
            continue;
        }
        out += line + "\r\n";
        line.clear();
        if (i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
    }
    if (!line.isEmpty())
        out += line + "\r\n";
    return Cp1252Codec::decode(out);
}

} // namespace

void tst_HostileContents::hugeFileIsRefusedQuickly()
{
    TempFolder dir;
    dir.makeFolder("History");
    const qint64 size = 200LL * 1024 * 1024;
    QVERIFY(makeSparse(dir.file("huge.ms3"), size));

    QElapsedTimer clock;
    clock.start();
    QString text = "stale";
    const StoreResult read = Store::readWholeFile(dir.file("huge.ms3"), &text);
    const qint64 readMs = clock.elapsed();
    QCOMPARE(read.error, StoreResult::Error::TooLarge);
    QVERIFY(!read.describe().isEmpty());
    QCOMPARE(text, QString());
    StoreResult field;
    QCOMPARE(Store::readFirstField(dir.file("huge.ms3"), &field), QString());
    QCOMPARE(field.error, StoreResult::Error::TooLarge);
    QCOMPARE(Store::guardedRead(dir.file("huge.ms3"), "fallback"), QString("fallback"));
    bool readFailed = false;
    QCOMPARE(Store::moveMessage(dir.file("huge.ms3"), dir.file("History"), &readFailed).error,
             StoreResult::Error::TooLarge);
    QVERIFY(readFailed);
    const qint64 allMs = clock.elapsed();
    // Refused from its size alone, not by reading 200 MB.
    QVERIFY2(allMs < 300, qPrintable(QString::number(allMs)));
    QCOMPARE(QFileInfo(dir.file("huge.ms3")).size(), size);
    QCOMPARE(FolderProbe::entries(dir.file("History")).size(), 0);
    qInfo("200 MB file refused in %lld ms (all four operations: %lld ms)", readMs, allMs);
}

void tst_HostileContents::sizeLimitBoundary()
{
    TempFolder dir;
    QVERIFY(makeSparse(dir.file("limit.ms3"), Store::MaxMessageBytes));
    QVERIFY(makeSparse(dir.file("over.ms3"), Store::MaxMessageBytes + 1));
    QString text;
    QVERIFY(Store::readWholeFile(dir.file("limit.ms3"), &text).ok());
    // All NUL bytes and no CR: one line, with its CR LF.
    QCOMPARE(text.size(), Store::MaxMessageBytes + 2);
    QCOMPARE(Store::readWholeFile(dir.file("over.ms3"), &text).error, StoreResult::Error::TooLarge);
}

void tst_HostileContents::messageContents_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // the whole-file read; "model" asks the model
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += char(i);
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary += char((i * 7919) % 251);

    QTest::newRow("zero bytes") << QByteArray() << QString();
    QTest::newRow("NUL bytes") << QByteArray("a\0b\0\0c", 6)
                               << QString::fromLatin1("a\0b\0\0c\r\n", 8);
    QTest::newRow("only NUL") << QByteArray(1000, '\0') << QString("model");
    QTest::newRow("every byte") << everyByte << QString("model");
    QTest::newRow("every byte twice") << everyByte + everyByte << QString("model");
    QTest::newRow("binary") << binary << QString("model");
    QTest::newRow("mixed line ends")
        << QByteArray("crlf\r\nlf\ncr\rend") << QString("crlf\r\nlf\ncr\r\nend\r\n");
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QString("a\r\n\r\nb\r\n");
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QString("a\n\r\nb\r\n");
    QTest::newRow("only CRs") << QByteArray("\r\r\r") << QString("\r\n\r\n\r\n");
    QTest::newRow("final lone CR") << QByteArray("x\r") << QString("x\r\n");
    QTest::newRow("no line end") << QByteArray("abc") << QString("abc\r\n");
    QTest::newRow("ten thousand empty lines")
        << QByteArray("\r\n").repeated(10000) << QString("\r\n").repeated(10000);
    QTest::newRow("one 8 MB line") << QByteArray(8 * 1024 * 1024, 'x') << QString("model");
}

void tst_HostileContents::messageContents()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    if (expected == QLatin1String("model"))
        expected = linesOf(bytes);
    TempFolder dir;
    dir.write("in.ms3", bytes);
    QString text = "stale";
    QVERIFY(Store::readWholeFile(dir.file("in.ms3"), &text).ok());
    QCOMPARE(text.size(), expected.size());
    QCOMPARE(text, expected);

    // Saving it writes every byte of the text, then one CR LF; nothing else changes.
    QVERIFY(Store::writeWholeText(dir.file("out.ms3"), text).ok());
    QByteArray encoded;
    QVERIFY(Cp1252Codec::encode(text, &encoded));
    const QByteArray written = dir.read("out.ms3");
    QCOMPARE(written, encoded + "\r\n");
    QString again;
    QVERIFY(Store::readWholeFile(dir.file("out.ms3"), &again).ok());
    QCOMPARE(again, text + "\r\n");
    // A file already in the read's own form (every line ending CR LF, nothing else) survives a
    // write of its text without its last line end byte for byte.
    if (bytes == encoded && bytes.endsWith("\r\n")) {
        QVERIFY(Store::writeWholeText(dir.file("same.ms3"), text.chopped(2)).ok());
        QCOMPARE(dir.read("same.ms3"), bytes);
    }
}

void tst_HostileContents::accountFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("usesFallback"); // the guarded read gives the fallback
    const QByteArray mega(3 * 1024 * 1024, 'm');
    QTest::newRow("quoted with comma") << QByteArray("\"Smith, Ann\"\r\n") << "Smith, Ann" << false;
    QTest::newRow("unquoted comma") << QByteArray("Smith, Ann\r\n") << "Smith" << false;
    QTest::newRow("leading and trailing spaces") << QByteArray("   ann  \r\n") << "ann  " << false;
    QTest::newRow("unterminated quote")
        << QByteArray("\"open, quote\r\nnext\r\n") << "open, quote" << false;
    QTest::newRow("quote inside") << QByteArray("O\"Brien, x\r\n") << "O\"Brien" << false;
    QTest::newRow("empty quotes") << QByteArray("\"\",x\r\n") << "" << false;
    QTest::newRow("no line end") << QByteArray("secret") << "secret" << false;
    QTest::newRow("LF only") << QByteArray("ann\nbob\n") << "ann" << false;
    QTest::newRow("lone CR") << QByteArray("ann\rbob") << "ann" << false;
    QTest::newRow("only spaces") << QByteArray("     \r\n") << "" << false;
    QTest::newRow("empty line") << QByteArray("\r\n") << "" << false;
    QTest::newRow("NUL inside") << QByteArray("a\0b\r\n", 5) << QString::fromLatin1("a\0b", 3)
                                << false;
    QTest::newRow("megabytes") << mega + "\r\n" << QString::fromLatin1(mega) << false;
    QTest::newRow("megabytes, no line end") << mega << QString::fromLatin1(mega) << false;
    QTest::newRow("megabytes of quotes and commas")
        << QByteArray("\",").repeated(1024 * 1024) << "," << false;
    QTest::newRow("zero bytes") << QByteArray() << "" << true;
    QTest::newRow("over the limit") << QByteArray(Store::MaxMessageBytes + 1, 'x') << "" << true;
}

void tst_HostileContents::accountFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, field);
    QFETCH(bool, usesFallback);
    TempFolder dir;
    dir.write("pp2f.kfl", bytes);
    StoreResult result;
    QCOMPARE(Store::readFirstField(dir.file("pp2f.kfl"), &result), field);
    QCOMPARE(result.ok(), !usesFallback);
    QCOMPARE(Store::guardedRead(dir.file("pp2f.kfl"), "Name Unknown."),
             usesFallback ? QString("Name Unknown.") : field);
    QCOMPARE(dir.read("pp2f.kfl"), bytes);

    // Writing the value read back stores it byte for byte with its CR LF.
    if (!usesFallback) {
        QVERIFY(Store::writeSingleValue(dir.file("pp2u.kfl"), field).ok());
        QCOMPARE(dir.read("pp2u.kfl"), field.toLatin1() + "\r\n");
    }
}

QTEST_GUILESS_MAIN(tst_HostileContents)
#include "tst_HostileContents.moc"
