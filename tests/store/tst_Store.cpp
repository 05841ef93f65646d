#include "store/AccountSave.h"
#include "store/ComposedMessage.h"
#include "store/Cp1252Codec.h"
#include "store/NamedMessage.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void writesAreByteExact_data();
    void writesAreByteExact();
    void firstField_data();
    void firstField();
    void emptyOrMissingFileGivesTheDefault();
    void wholeFile_data();
    void wholeFile();
    void openAndSaveGrowsByOneLineEnd();
    void everyByteRoundTrips();
    void unencodableTextIsRefused_data();
    void unencodableTextIsRefused();
    void textTooLargeToReopenIsNotWritten();
    void moveMessage_data();
    void moveMessage();
    void composedMessageLayout();
    void namedMessage();
    void newNamedMessage_data();
    void newNamedMessage();
    void accountSave();
};

void tst_Store::writesAreByteExact_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("value") << true << "yes" << QByteArray("yes\r\n");
    QTest::newRow("empty value") << true << "" << QByteArray("\r\n");
    QTest::newRow("value with comma") << true << "Smith, Ann" << QByteArray("Smith, Ann\r\n");
    QTest::newRow("cp1252 value") << true << QString::fromUtf8("caf\u00e9 \u20ac5")
                                  << QByteArray("caf\xe9 \x80"
                                                "5\r\n");
    QTest::newRow("whole text") << false << "a \r\n\r\nbody" << QByteArray("a \r\n\r\nbody\r\n");
    QTest::newRow("lone LF kept") << false << "a\nb" << QByteArray("a\nb\r\n");
}

void tst_Store::writesAreByteExact()
{
    QFETCH(bool, single);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    TempFolder dir;
    // A longer old file must not leave a tail behind.
    dir.write("f", QByteArray(64, 'x'));
    const StoreResult result = single ? Store::writeSingleValue(dir.file("f"), text)
                                      : Store::writeWholeText(dir.file("f"), text);
    QVERIFY(result.ok());
    QCOMPARE(dir.read("f"), bytes);
}

void tst_Store::firstField_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << QByteArray("Ann\r\n") << "Ann";
    QTest::newRow("leading spaces") << QByteArray("   Ann\r\n") << "Ann";
    QTest::newRow("trailing spaces kept") << QByteArray("Ann  \r\n") << "Ann  ";
    QTest::newRow("comma ends it") << QByteArray("Smith, Ann\r\n") << "Smith";
    QTest::newRow("quoted") << QByteArray("  \"Smith, Ann\" tail,x\r\n") << "Smith, Ann";
    QTest::newRow("unterminated quote") << QByteArray("\"Smith, Ann\r\nnext\"\r\n") << "Smith, Ann";
    QTest::newRow("CR-only line end") << QByteArray("one\rtwo\r") << "one";
    QTest::newRow("LF line end") << QByteArray("one\ntwo") << "one";
    QTest::newRow("no line end") << QByteArray("no") << "no";
    QTest::newRow("empty line") << QByteArray("\r\nsecond\r\n") << "";
    QTest::newRow("cp1252") << QByteArray("\x80uro\r\n") << QString::fromUtf8("\u20acuro");
}

void tst_Store::firstField()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, field);
    TempFolder dir;
    dir.write("msgf.kfl", bytes);
    StoreResult result;
    QCOMPARE(Store::readFirstField(dir.file("msgf.kfl"), &result), field);
    QVERIFY(result.ok());
    QCOMPARE(Store::guardedRead(dir.file("msgf.kfl"), "fallback"), field);
}

void tst_Store::emptyOrMissingFileGivesTheDefault()
{
    TempFolder dir;
    dir.write("st.kfl", QByteArray());
    StoreResult result;
    QCOMPARE(Store::readFirstField(dir.file("st.kfl"), &result), QString());
    QVERIFY(!result.ok());
    QCOMPARE(Store::guardedRead(dir.file("st.kfl"), "yes"), QString("yes"));
    QCOMPARE(Store::guardedRead(dir.file("missing.kfl"), "yes"), QString("yes"));
    // The name on disk differs in case: not the file asked for.
    dir.write("DU.KFL", "Ann\r\n");
    QCOMPARE(Store::guardedRead(dir.file("du.kfl"), ""), QString());
}

void tst_Store::wholeFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n";
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << "a\r\nb\r\n";
    QTest::newRow("lone LF stays") << QByteArray("a\nb\r\n") << "a\nb\r\n";
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << "a\r\nb\r\n";
    QTest::newRow("CR before CR LF") << QByteArray("a\r\r\n") << "a\r\n\r\n";
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << "\r\n\r\n";
    QTest::newRow("empty file") << QByteArray() << "";
}

void tst_Store::wholeFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    TempFolder dir;
    dir.write("m.msg", bytes);
    QString read = "stale";
    QVERIFY(Store::readWholeFile(dir.file("m.msg"), &read).ok());
    QCOMPARE(read, text);
}

void tst_Store::openAndSaveGrowsByOneLineEnd()
{
    TempFolder dir;
    const QByteArray original("12:00  1/2/03 \r\n \r\nbody");
    dir.write("m.ms1", original);
    QString text;
    QVERIFY(Store::readWholeFile(dir.file("m.ms1"), &text).ok());
    QVERIFY(Store::writeWholeText(dir.file("m.ms1"), text).ok());
    QCOMPARE(dir.read("m.ms1"), original + "\r\n\r\n");
}

void tst_Store::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QByteArray back;
    QVERIFY(Cp1252Codec::encode(Cp1252Codec::decode(all), &back));
    QCOMPARE(back, all);

    // Through the files: every byte but CR (a line end) comes back where it was.
    QByteArray noCr = all;
    noCr.remove(13, 1);
    TempFolder dir;
    dir.write("all.msg", noCr);
    QString text;
    QVERIFY(Store::readWholeFile(dir.file("all.msg"), &text).ok());
    QVERIFY(Store::writeWholeText(dir.file("all.msg"), text).ok());
    QCOMPARE(dir.read("all.msg"), noCr + "\r\n\r\n");
}

void tst_Store::unencodableTextIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("CJK") << QString::fromUtf8("ok \u4e2d")
                         << QString::fromUtf8("\"\u4e2d\" (U+4E2D)");
    QTest::newRow("emoji") << QString::fromUtf8("hi \U0001F600!")
                           << QString::fromUtf8("\"\U0001F600\" (U+1F600)");
    QTest::newRow("C1 without a byte") << QString(QChar(0x80)) << "U+0080";
}

void tst_Store::unencodableTextIsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    TempFolder dir;
    dir.write("m.msg", "old\r\n");
    const StoreResult result = Store::writeWholeText(dir.file("m.msg"), text);
    QCOMPARE(result.error, StoreResult::Error::Unencodable);
    QVERIFY2(result.describe().contains(named), qPrintable(result.describe()));
    QCOMPARE(dir.read("m.msg"), QByteArray("old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList("m.msg"));
}

void tst_Store::textTooLargeToReopenIsNotWritten()
{
    TempFolder dir;
    dir.write("m.msg", "old\r\n");
    // Exactly at the limit once the final CR LF is added: still fits.
    const QString fits(Store::MaxMessageBytes - 2, QLatin1Char('a'));
    QVERIFY(Store::writeWholeText(dir.file("fits.msg"), fits).ok());
    QString back;
    QVERIFY(Store::readWholeFile(dir.file("fits.msg"), &back).ok());

    const StoreResult result = Store::writeWholeText(dir.file("m.msg"), fits + QLatin1Char('a'));
    QCOMPARE(result.error, StoreResult::Error::TooLarge);
    QCOMPARE(dir.read("m.msg"), QByteArray("old\r\n"));
}

void tst_Store::moveMessage_data()
{
    QTest::addColumn<QByteArray>("source"); // null: no source file
    QTest::addColumn<QString>("folder"); // "": the source's own folder
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("readFailed");
    QTest::addColumn<QByteArray>("sourceAfter"); // null: gone
    QTest::addColumn<QByteArray>("destinationAfter");
    const QByteArray none;
    QTest::newRow("into History") << QByteArray("line\rlast") << "History/" << none << true << false
                                  << none << QByteArray("line\r\nlast\r\n\r\n");
    QTest::newRow("replaces a name") << QByteArray("new") << "History" << QByteArray("older\r\n")
                                     << true << false << none << QByteArray("new\r\n\r\n");
    QTest::newRow("missing source") << none << "History" << QByteArray("kept\r\n") << false << true
                                    << none << QByteArray("kept\r\n");
    QTest::newRow("onto itself") << QByteArray("text\r\n") << "" << none << true << false
                                 << QByteArray("text\r\n\r\n") << QByteArray("text\r\n\r\n");
    QTest::newRow("missing folder") << QByteArray("text\r\n") << "Missing" << none << false << false
                                    << QByteArray("text\r\n") << none;
}

void tst_Store::moveMessage()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, folder);
    QFETCH(QByteArray, existing);
    QFETCH(bool, ok);
    QFETCH(bool, readFailed);
    QFETCH(QByteArray, sourceAfter);
    QFETCH(QByteArray, destinationAfter);
    TempFolder dir;
    dir.makeFolder("History");
    if (!source.isNull())
        dir.write("a.ms2", source);
    if (!existing.isNull())
        dir.write("History/a.ms2", existing);
    bool failedRead = !readFailed;
    const StoreResult result = Store::moveMessage(dir.file("a.ms2"), dir.file(folder), &failedRead);
    QCOMPARE(result.ok(), ok);
    QCOMPARE(failedRead, readFailed);
    QCOMPARE(dir.exists("a.ms2"), !sourceAfter.isNull());
    QCOMPARE(dir.read("a.ms2"), sourceAfter);
    const QString destination = folder.isEmpty() ? "a.ms2" : "History/a.ms2";
    QCOMPARE(dir.exists(destination), !destinationAfter.isNull());
    QCOMPARE(dir.read(destination), destinationAfter);
}

void tst_Store::composedMessageLayout()
{
    TempFolder dir;
    ComposedMessage message { "10:15", "08/12/2026", "Urgent", "User 3", "Bob", "Hi\r\nthere" };
    QCOMPARE(message.slotCode(), QString("3"));
    QCOMPARE(message.recipientFullName(dir.path()), QString("User 3"));
    dir.write("pp2f.kfl", "Smith, Ann\r\n");
    QCOMPARE(message.recipientFullName(dir.path()), QString("Smith"));
    QCOMPARE(message.content("Smith"),
             QString("10:15  08/12/2026 \r\n \r\n \r\nPriority: Urgent \r\n \r\nTo: Smith \r\n"
                     "From: Bob \r\n \r\nHi\r\nthere"));
    message.recipient = "user 3";
    QCOMPARE(message.slotCode(), QString("d"));
    QCOMPARE(message.recipientFullName(dir.path()), QString());
}

void tst_Store::namedMessage()
{
    TempFolder dir;
    QCOMPARE(Store::writeNamedMessage(dir.path(), "../up", "2", "x").error,
             StoreResult::Error::InvalidName);
    QVERIFY(Store::writeNamedMessage(dir.path(), "note", "2", "x").ok());
    QCOMPARE(dir.read("note.ms2"), QByteArray("x\r\n"));
    // Renamed onto itself: left in place, not copied and then deleted.
    bool readFailed = true;
    QVERIFY(Store::renameToNamedMessage(dir.file("note.ms2"), dir.path(), "note", "2", &readFailed)
                .ok());
    QVERIFY(!readFailed);
    QCOMPARE(dir.read("note.ms2"), QByteArray("x\r\n"));
    QVERIFY(Store::renameToNamedMessage(dir.file("note.ms2"), dir.path(), "memo", "2").ok());
    QVERIFY(!dir.exists("note.ms2"));
    QCOMPARE(dir.read("memo.ms2"), QByteArray("x\r\n\r\n"));
}

void tst_Store::newNamedMessage_data()
{
    QTest::addColumn<QStringList>("present"); // files there before, each holding "old"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // "" when nothing may be written
    QTest::addColumn<StoreResult::Error>("error");
    const QStringList none;
    QTest::newRow("free") << none << "note"
                          << "x"
                          << "note.ms2" << StoreResult::Error::None;
    QTest::newRow("taken") << QStringList { "note.ms2" } << "note"
                           << "x"
                           << "note (2).ms2" << StoreResult::Error::None;
    QTest::newRow("taken twice") << QStringList { "note.ms2", "note (2).ms2" } << "note"
                                 << "x"
                                 << "note (3).ms2" << StoreResult::Error::None;
    // Another spelling is another file here; the name's own dots stay before the number.
    QTest::newRow("dotted name") << QStringList { "v1.2.ms2" } << "v1.2"
                                 << "x"
                                 << "v1.2 (2).ms2" << StoreResult::Error::None;
    QTest::newRow("unsafe") << none << "../note"
                            << "x"
                            << "" << StoreResult::Error::InvalidName;
    QTest::newRow("unencodable") << QStringList { "note.ms2" } << "note"
                                 << QString::fromUtf8("\u2603") << ""
                                 << StoreResult::Error::Unencodable;
}

// A message from a program never replaces one that may still be waiting to be read.
void tst_Store::newNamedMessage()
{
    QFETCH(QStringList, present);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, written);
    QFETCH(StoreResult::Error, error);
    TempFolder dir;
    for (const QString &file : present)
        dir.write(file, "old");
    QString path = "stale";
    const StoreResult result = Store::writeNewNamedMessage(dir.path(), name, "2", text, &path);
    QCOMPARE(result.error, error);
    QCOMPARE(path, written.isEmpty() ? QString() : dir.file(written));
    for (const QString &file : present)
        QCOMPARE(dir.read(file), QByteArray("old"));
    QStringList expected = present;
    if (!written.isEmpty()) {
        QCOMPARE(dir.read(written), text.toLatin1() + "\r\n");
        expected.append(written);
    }
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void tst_Store::accountSave()
{
    QStringList names;
    for (const AccountFile &file : AccountSave::order())
        names.append(file.fileName());
    QCOMPARE(names, QStringList({ "du.kfl",   "df.kfl",  "msg.kfl", "msgu.kfl", "msgf.kfl",
                                  "pp.kfl",   "ppu.kfl", "ppf.kfl", "pp2.kfl",  "pp2u.kfl",
                                  "pp2f.kfl", "44.kfl",  "44u.kfl", "44f.kfl",  "r5.kfl",
                                  "r5u.kfl",  "r5f.kfl", "i6.kfl",  "i6u.kfl",  "i6f.kfl" }));
    // A failed write does not stop the pass; an empty value leaves its file alone.
    TempFolder dir;
    dir.makeFolder("msgu.kfl");
    dir.write("msgf.kfl", "Old\r\n");
    const QList<AccountSave::Failure> failures
        = AccountSave::save(dir.path(), [](const AccountFile &file) {
              return file.fileName() == "msgf.kfl" ? QString() : file.fileName().toUpper();
          });
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures.first().file.fileName(), QString("msgu.kfl"));
    QCOMPARE(dir.read("msgf.kfl"), QByteArray("Old\r\n"));
    QCOMPARE(dir.read("i6f.kfl"), QByteArray("I6F.KFL\r\n"));
}

QTEST_GUILESS_MAIN(tst_Store)
#include "tst_Store.moc"
