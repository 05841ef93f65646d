// The built notavo-send against a data folder a running copy (a main window over it) watches:
// its file is byte for byte the compose window's for the same fields, every way of naming the
// recipient reaches the right slot, bad input and a folder it cannot write leave nothing, and
// the running copy counts what it writes.
#include "AppRig.h"
#include "messages/MessageTextEdit.h"
#include "messages/newmes.h"
#include "store/ComposedMessage.h"
#include "widgets/PictureButton.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

struct Sent
{
    int exitCode = -1;
    QString path; // what it printed
    QString error;
};

Sent send(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess program;
    program.start(QStringLiteral(NOTAVO_SEND), arguments);
    program.write(input);
    program.closeWriteChannel();
    Sent sent;
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        sent.error = QStringLiteral("timed out");
        return sent;
    }
    sent.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    sent.path = QString::fromLocal8Bit(program.readAllStandardOutput()).trimmed();
    sent.error = QString::fromLocal8Bit(program.readAllStandardError());
    return sent;
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

} // namespace

class tst_NotavoSend : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsComposeAndCounted();
    void recipientByEntryOrName_data();
    void recipientByEntryOrName();
    void refusedInputWritesNothing_data();
    void refusedInputWritesNothing();
    void unwritableFolderWritesNothing_data();
    void unwritableFolderWritesNothing();
};

// The same fields through the compose window and through notavo-send give the same bytes,
// with the time and date as Auto Time fills them; the running copy counts the message.
void tst_NotavoSend::sameBytesAsComposeAndCounted()
{
    AppRig rig;
    rig.main.Form_Load();
    rig.dir.write(QStringLiteral("ppf.kfl"), "Smith, Ann\r\n");
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("No New Messages."));

    const QDateTime before = QDateTime::currentDateTime();
    const Sent sent
        = send({ QStringLiteral("--folder"), rig.dir.path(), QStringLiteral("--to"),
                 QStringLiteral("User 2"), QStringLiteral("--from"), QStringLiteral("backup"),
                 QStringLiteral("--priority"), QStringLiteral("Urgent"), QStringLiteral("--name"),
                 QStringLiteral("nightly") },
               "Backup failed\n\ncaf\xc3\xa9 \xe2\x82\xac 5\n");
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY2(sent.exitCode == 0, qPrintable(sent.error));
    QCOMPARE(sent.path, rig.dir.file(QStringLiteral("nightly.ms2")));
    const QByteArray bytes = rig.dir.read(QStringLiteral("nightly.ms2"));

    // The stamp is one Auto Time would have shown during the run.
    const QString stamp = QString::fromLocal8Bit(bytes.left(bytes.indexOf("\r\n")));
    QStringList stamps;
    for (const QDateTime &at : { before, after })
        stamps << ComposedMessage::timeText(at.time()) + QStringLiteral("  ")
                + ComposedMessage::dateText(at.date()) + QLatin1Char(' ');
    QVERIFY2(stamps.contains(stamp), qPrintable(stamp));

    newmes &compose = rig.windows.compose();
    compose.clearFields();
    compose.t->setEditText(QStringLiteral("User 2"));
    compose.pri->setEditText(QStringLiteral("Urgent"));
    compose.fro->setText(QStringLiteral("backup"));
    const qsizetype twoSpaces = stamp.indexOf(QStringLiteral("  "));
    compose.tim->setText(stamp.left(twoSpaces));
    compose.dat->setText(stamp.mid(twoSpaces + 2).chopped(1));
    compose.Text3->setMessageText(QStringLiteral("Backup failed\r\n\r\ncaf\u00e9 \u20ac 5"));
    rig.p.dialogs.queueInput(QStringLiteral("composed"));
    compose.ok->pressDown();
    compose.ok->releaseUp();
    QCOMPARE(rig.dir.read(QStringLiteral("composed.ms2")), bytes);

    // The same name again: a second file beside the first, which stays.
    const Sent again
        = send({ QStringLiteral("--folder"), rig.dir.path(), QStringLiteral("--to"),
                 QStringLiteral("Default"), QStringLiteral("--name"), QStringLiteral("nightly"),
                 QStringLiteral("Disk"), QStringLiteral("full") });
    QCOMPARE(again.exitCode, 0);
    const Sent third = send({ QStringLiteral("--folder"), rig.dir.path(), QStringLiteral("--to"),
                              QStringLiteral("Default"), QStringLiteral("--name"),
                              QStringLiteral("nightly"), QStringLiteral("Disk full") });
    QCOMPARE(third.path, rig.dir.file(QStringLiteral("nightly (2).msg")));
    // Sent as the login name running it, the text arguments joined by spaces.
    const QByteArray login = ::getpwuid(::getuid())->pw_name;
    QVERIFY(rig.dir.read(QStringLiteral("nightly.msg"))
                .endsWith("To:  \r\nFrom: " + login + " \r\n \r\nDisk full\r\n"));
    QTRY_COMPARE(rig.main.inb->text(), QStringLiteral("2 New Messages."));
}

void tst_NotavoSend::recipientByEntryOrName_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("toLine");
    QTest::newRow("list entry") << "User 3"
                                << "m.ms3" << QByteArray("To: Ann Smith \r\n");
    QTest::newRow("user name") << "ann"
                               << "m.ms3" << QByteArray("To: Ann Smith \r\n");
    QTest::newRow("full name") << "Ann Smith"
                               << "m.ms3" << QByteArray("To: Ann Smith \r\n");
    QTest::newRow("full name before its comma") << "Jones"
                                                << "m.ms6" << QByteArray("To: Jones \r\n");
    QTest::newRow("no full-name file") << "User 5"
                                       << "m.ms5" << QByteArray("To: User 5 \r\n");
    QTest::newRow("default") << "Default"
                             << "m.msg" << QByteArray("To:  \r\n");
    QTest::newRow("default's own name") << "boss"
                                        << "m.msg" << QByteArray("To:  \r\n");
}

void tst_NotavoSend::recipientByEntryOrName()
{
    QFETCH(QString, to);
    QFETCH(QString, file);
    QFETCH(QByteArray, toLine);
    TempFolder dir;
    dir.makeFolder(QStringLiteral("History"));
    dir.write(QStringLiteral("pp2u.kfl"), "ann\r\n");
    dir.write(QStringLiteral("pp2f.kfl"), "Ann Smith\r\n");
    dir.write(QStringLiteral("i6f.kfl"), "Jones, Bo\r\n");
    // One slot's two names alike are still one slot; a name like a list entry never wins.
    dir.write(QStringLiteral("i6u.kfl"), "Jones\r\n");
    dir.write(QStringLiteral("44u.kfl"), "User 3\r\n");
    dir.write(QStringLiteral("du.kfl"), "boss\r\n");
    const Sent sent = send({ QStringLiteral("--folder"), dir.path(), QStringLiteral("--to"), to,
                             QStringLiteral("--name"), QStringLiteral("m"), QStringLiteral("hi") });
    QVERIFY2(sent.exitCode == 0, qPrintable(sent.error));
    QCOMPARE(sent.path, dir.file(file));
    QVERIFY(dir.read(file).contains(" \r\n \r\n" + toLine + "From: "));
}

void tst_NotavoSend::refusedInputWritesNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("said"); // a part of the one line on standard error
    const QStringList to = { QStringLiteral("--to"), QStringLiteral("User 1") };
    QTest::newRow("no recipient") << QStringList { QStringLiteral("hi") } << QByteArray()
                                  << "--to RECIPIENT is missing";
    // The valid choices are listed, the names among them.
    QTest::newRow("unknown recipient")
        << QStringList { QStringLiteral("--to"), QStringLiteral("user 1"), QStringLiteral("hi") }
        << QByteArray()
        << "valid: Default, User 1, User 2, User 3, User 4, User 5, User 6, ann (User 1)";
    QTest::newRow("ambiguous recipient")
        << QStringList { QStringLiteral("--to"), QStringLiteral("Pat"), QStringLiteral("hi") }
        << QByteArray() << "\"Pat\" names more than one slot (User 1, User 2)";
    QTest::newRow("empty text") << to << QByteArray("\n\n") << "the message text is empty";
    QTest::newRow("empty sender") << to
            + QStringList { QStringLiteral("--from="), QStringLiteral("x") }
                                  << QByteArray() << "--from is empty";
    QTest::newRow("unsafe name") << to
            + QStringList { QStringLiteral("--name"), QStringLiteral("../x"), QStringLiteral("x") }
                                 << QByteArray() << "\"../x\" is not a valid message name";
    QTest::newRow("hidden name") << to
            + QStringList { QStringLiteral("--name"), QStringLiteral(".x"), QStringLiteral("x") }
                                 << QByteArray() << "\".x\" is not a valid message name";
    QTest::newRow("character without a byte")
        << to << QByteArray("snow \xe2\x98\x83\n") << "\"\u2603\" (U+2603)";
    QTest::newRow("not UTF-8") << to << QByteArray("caf\xe9\n") << "not UTF-8";
    QTest::newRow("unknown option")
        << to + QStringList { QStringLiteral("--urgent"), QStringLiteral("x") } << QByteArray()
        << "Unknown option 'urgent'";
}

void tst_NotavoSend::refusedInputWritesNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, said);
    TempFolder dir;
    dir.makeFolder(QStringLiteral("History"));
    dir.write(QStringLiteral("msgu.kfl"), "ann\r\n");
    dir.write(QStringLiteral("msgf.kfl"), "Pat\r\n");
    dir.write(QStringLiteral("ppu.kfl"), "Pat\r\n");
    const Sent sent
        = send(QStringList { QStringLiteral("--folder"), dir.path() } + arguments, input);
    QCOMPARE(sent.exitCode, 1);
    QVERIFY2(sent.error.contains(said), qPrintable(sent.error));
    QCOMPARE(sent.error.count(QLatin1Char('\n')), 1);
    QVERIFY(sent.path.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void tst_NotavoSend::unwritableFolderWritesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("missing") << "missing"
                             << "does not exist";
    QTest::newRow("no History: a share not mounted") << "plain"
                                                     << "no Notavo folder";
    QTest::newRow("read-only") << "read-only"
                               << "Read-only file system";
    QTest::newRow("disk full") << "full"
                               << "No space left on device";
}

// A tmpfs of its own for the file systems that refuse (as root; otherwise skipped).
void tst_NotavoSend::unwritableFolderWritesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, said);
    TempFolder dir;
    const QString folder = dir.file(QStringLiteral("office"));
    bool mounted = false;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            run(QStringLiteral("umount"), { folder });
    });
    if (kind != QLatin1String("missing"))
        dir.makeFolder(QStringLiteral("office"));
    if (kind == QLatin1String("read-only") || kind == QLatin1String("full")) {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("mount")).isEmpty())
            QSKIP("a small file system of its own needs root");
        if (!run(QStringLiteral("mount"),
                 { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                   QStringLiteral("size=64k"), QStringLiteral("notavo-send-test"), folder }))
            QSKIP("this system does not let a tmpfs be mounted here");
        mounted = true;
        dir.makeFolder(QStringLiteral("office/History"));
        if (kind == QLatin1String("full")) {
            QFile filler(dir.file(QStringLiteral("office/filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) { }
        } else {
            QVERIFY(run(QStringLiteral("mount"),
                        { QStringLiteral("-o"), QStringLiteral("remount,ro"), folder }));
        }
    }
    const QStringList before
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const Sent sent = send({ QStringLiteral("--folder"), folder, QStringLiteral("--to"),
                             QStringLiteral("Default"), QStringLiteral("hi") });
    const QStringList after
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(sent.exitCode, 2);
    QVERIFY2(sent.error.contains(said), qPrintable(sent.error));
    QCOMPARE(sent.error.count(QLatin1Char('\n')), 1);
    QCOMPARE(after, before);
}

QTEST_MAIN(tst_NotavoSend)
#include "tst_NotavoSend.moc"
