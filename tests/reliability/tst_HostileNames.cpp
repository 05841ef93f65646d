#include "FolderProbe.h"
#include "fs/FileList.h"
#include "fs/PathFunctions.h"
#include "fs/SafeFile.h"
#include "store/MessageFileName.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QTest>

// Message names are whatever the user types. Each one either is refused as a name, or is
// refused cleanly by the file system, or becomes exactly one file inside the data folder,
// readable under the name the listing shows. Nothing ever lands anywhere else.
class tst_HostileNames : public QObject
{
    Q_OBJECT

private slots:
    void namesStayInsideTheFolder_data();
    void namesStayInsideTheFolder();
    void caseOnlyDifferenceMakesASeparateFile();
};

enum class Outcome { Unsafe, Written, Refused };
Q_DECLARE_METATYPE(Outcome)

namespace {

// A row name that prints on one line: control characters as \xNN, long names cut short.
QByteArray rowName(const char *kind, const QString &name)
{
    QByteArray shown;
    for (const QChar c : name.left(40)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += "\\x" + QByteArray::number(c.unicode(), 16).rightJustified(2, '0');
        else
            shown += QString(c).toUtf8();
    }
    return QByteArray(kind) + ' ' + shown;
}

} // namespace

void tst_HostileNames::namesStayInsideTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Outcome>("outcome");

    const QStringList unsafe {
        "",  ".", "..", "a/b", "../escape", "..\\escape", "a\\b", "/tmp/absolute", "sub/../../x",
        "/", "\\"
    };
    for (const QString &name : unsafe)
        QTest::newRow(rowName("unsafe", name).constData()) << name << Outcome::Unsafe;
    QTest::newRow("unsafe NUL inside") << QString::fromLatin1("x\0y", 3) << Outcome::Unsafe;

    const QStringList written {
        "lunch",
        " lunch ",
        "   ",
        "trailing. ",
        "tab\there",
        "new\nline",
        "cr\rname",
        "\x01"
        "ctl",
        "del\x7f",
        "esc\x1b[31mred",
        "a:b*c?<>|\"",
        "-rf",
        "~user",
        "$HOME",
        "%s%n%x",
        "CON",
        "nul.txt",
        "x..",
        "a..b",
        QString::fromUtf8("caf\u00e9 \u20ac"),
        QString::fromUtf8("\u65e5\u672c\u8a9e"),
        QString(QChar(0xD800)) + "lone surrogate",
        QString(251, QLatin1Char('n')),
    };
    for (const QString &name : written)
        QTest::newRow(rowName("written", name).constData()) << name << Outcome::Written;

    // Longer than a file name may be (255 bytes with the extension): the file system refuses.
    QTest::newRow("300 characters") << QString(300, QLatin1Char('n')) << Outcome::Refused;
    QTest::newRow("252 characters") << QString(252, QLatin1Char('n')) << Outcome::Refused;
    QTest::newRow("128 two-byte characters") << QString(128, QChar(0xE9)) << Outcome::Refused;

    // A leading dot makes a hidden file that no listing shows: the message would vanish.
    for (const char *name : { ".hidden", "...", ".notavo-tmp-x" })
        QTest::newRow(rowName("dot name", name).constData()) << QString(name) << Outcome::Unsafe;
}

void tst_HostileNames::namesStayInsideTheFolder()
{
    QFETCH(QString, name);
    QFETCH(Outcome, outcome);
    TempFolder root;
    root.makeFolder("data/History");
    root.write("outside/private.txt", "not yours\r\n");
    root.write("data/other.ms3", "another message\r\n");
    const QString data = root.file("data");
    const auto before = FolderProbe::snapshot(root.path());

    QCOMPARE(isUnsafeMessageName(name), outcome == Outcome::Unsafe);
    if (isUnsafeMessageName(name))
        return; // the windows refuse it before any path is built

    const QString fileName = messageFileName(name, "3");
    QCOMPARE(fileName, name + ".ms3");
    QCOMPARE(completeMessageName(name, "3"), fileName);
    QCOMPARE(completeMessageName(name, "d"), name + ".msg");
    const QString text = "To: you \r\n \r\nbody";
    const StoreResult result = Store::writeWholeText(AddBackslash(data) + fileName, text);

    // Whatever happened, it happened inside the data folder, to one entry at most.
    const QStringList changes
        = FolderProbe::differences(before, FolderProbe::snapshot(root.path()));
    for (const QString &change : changes) {
        const bool folderItself = change == QLatin1String("changed ./data");
        const bool entryInIt = change.startsWith(QLatin1String("created ./data/"))
            && !change.mid(15).contains(QLatin1Char('/'));
        QVERIFY2(folderItself || entryInIt, qPrintable(change));
    }
    // (A message named like a temporary counts as one: part of the known fault.)
    const bool namedLikeTemporary = name.startsWith(QLatin1String(SafeFile::TemporaryPrefix));
    QCOMPARE(FolderProbe::temporaryCount(data), namedLikeTemporary && result.ok() ? 1 : 0);

    if (outcome == Outcome::Refused) {
        QVERIFY(!result.ok());
        QCOMPARE(result.error, StoreResult::Error::IoError);
        QVERIFY(!result.describe().isEmpty());
        QCOMPARE(changes, QStringList());
        return;
    }
    QVERIFY2(result.ok(), qPrintable(result.describe()));
    QCOMPARE(changes.filter(QStringLiteral("created ")).size(), 1);
    const QByteArray onDisk = QFile::encodeName(fileName);
    QVERIFY(FolderProbe::entries(data).contains(onDisk));
    QCOMPARE(FolderProbe::rawRead(data + "/" + fileName), QByteArray("To: you \r\n \r\nbody\r\n"));
    if (name.startsWith(QLatin1Char('.')))
        return; // the known fault above: nothing lists it

    // The recipient's copy lists it under the name the file system holds, and can open,
    // move and delete it through that name.
    FileList inbox;
    inbox.setPattern("*.ms3");
    QVERIFY(inbox.setPath(data));
    const QString listed = QFile::decodeName(onDisk);
    QCOMPARE(inbox.names().size(), 2);
    QVERIFY(inbox.names().contains(listed));
    QString read;
    QVERIFY(Store::readWholeFile(AddBackslash(data) + listed, &read).ok());
    QCOMPARE(read, text + "\r\n");
    QVERIFY(FileExists(AddBackslash(data) + listed));
    QVERIFY(Store::moveMessage(AddBackslash(data) + listed, root.file("data/History")).ok());
    QVERIFY(Store::deleteMessage(root.file("data/History/") + listed).ok());
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(root.path())), QStringList());
}

// On a case-sensitive file system "lunch" and "Lunch" are two messages; saving one must not
// touch the other.
void tst_HostileNames::caseOnlyDifferenceMakesASeparateFile()
{
    TempFolder dir;
    const QByteArray existing("Lunch at one\r\n");
    dir.write("Lunch.ms3", existing);
    for (const char *name : { "lunch", "LUNCH", "lUnCh" })
        QVERIFY(Store::writeWholeText(dir.file(messageFileName(name, "3")), QString(name)).ok());
    QCOMPARE(dir.read("Lunch.ms3"), existing);
    QCOMPARE(dir.read("lunch.ms3"), QByteArray("lunch\r\n"));
    QCOMPARE(dir.read("LUNCH.ms3"), QByteArray("LUNCH\r\n"));
    FileList inbox;
    inbox.setPattern("*.ms3");
    QVERIFY(inbox.setPath(dir.path()));
    QCOMPARE(inbox.count(), 4);
    QVERIFY(!FileExists(dir.file("lUNCH.ms3")));
    QVERIFY(FileExists(dir.file("lUnCh.ms3")));
}

QTEST_GUILESS_MAIN(tst_HostileNames)
#include "tst_HostileNames.moc"
