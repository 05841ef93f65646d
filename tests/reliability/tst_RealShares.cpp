#include "FolderProbe.h"
#include "RealShare.h"

#include "fs/FileClaim.h"
#include "fs/SafeFile.h"
#include "store/NamedMessage.h"
#include "store/Store.h"

#include <QDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(RealShare::Kind)

// The store on real office shares, started on loopback by the test: Samba through smbnetfs
// (renames and deletes of open files refused, a replacing rename that deletes its target first,
// names without regard to case) and OpenSSH through sshfs (no rename flags, hard links that
// report one name). Another computer's writes go through a second client. What counts is the
// server's own folder: whatever happens, every text is there under a message name, and nothing
// is left in a hidden file.
class tst_RealShares : public QObject
{
    Q_OBJECT

private slots:
    void saveOverExistingKeepsMessage_data() { kinds(); }
    void saveOverExistingKeepsMessage();
    void composeAndMoveToHistory_data() { kinds(); }
    void composeAndMoveToHistory();
    void moveDuringRewriteFilesWholeText();
    void renameChangingCaseKeepsOneMessage_data() { kinds(); }
    void renameChangingCaseKeepsOneMessage();
    void putBackNeverOverwrites_data();
    void putBackNeverOverwrites();

private:
    static void kinds();
    static std::unique_ptr<RealShare> start(RealShare::Kind kind);
    static QStringList hiddenEntries(const QString &folder);
};

void tst_RealShares::kinds()
{
    QTest::addColumn<RealShare::Kind>("kind");
    QTest::newRow("smb") << RealShare::Kind::Smb;
    QTest::newRow("sftp") << RealShare::Kind::Sftp;
}

std::unique_ptr<RealShare> tst_RealShares::start(RealShare::Kind kind)
{
    auto share = std::make_unique<RealShare>(kind);
    return share;
}

QStringList tst_RealShares::hiddenEntries(const QString &folder)
{
    QStringList hidden;
    for (const QByteArray &name : FolderProbe::entries(folder))
        if (name.startsWith('.'))
            hidden << QString::fromLatin1(name);
    return hidden;
}

// How long a share's client may keep a file it no longer uses open on the server.
constexpr int ServerLetGoMs = 3000;

#define START_SHARE(share)                                                                         \
    QFETCH(RealShare::Kind, kind);                                                                 \
    if (const QString missing = RealShare::missingPackage(kind); !missing.isEmpty())               \
        QSKIP(qPrintable(QStringLiteral("not installed: ") + missing));                            \
    const std::unique_ptr<RealShare> share = start(kind);                                          \
    QVERIFY2(share->isMounted(), qPrintable(share->error()))

// Through smbnetfs a Save used to delete the message: the rename of the temporary, still
// open, failed after libsmbclient had deleted the target, and the text stayed in a hidden file.
void tst_RealShares::saveOverExistingKeepsMessage()
{
    START_SHARE(share);
    QVERIFY(share->putFromOtherComputer(QStringLiteral("hello.msa"), "written elsewhere\r\n"));
    const QString path = share->mountPoint() + QStringLiteral("/hello.msa");
    for (int save = 1; save <= 3; ++save) {
        const QByteArray before = FolderProbe::rawRead(share->backing() + "/hello.msa");
        const QString text = QStringLiteral("edit %1").arg(save);
        const StoreResult saved = Store::writeWholeText(path, text);
        bool got = false;
        const QByteArray held = share->getFromOtherComputer(QStringLiteral("hello.msa"), &got);
        QVERIFY2(got && (held == before || held == text.toLatin1() + "\r\n"), held.constData());
        QVERIFY2(saved.ok(), qPrintable(saved.describe()));
        QCOMPARE(held, text.toLatin1() + "\r\n");
        // smbnetfs lets go of a file a moment after its last use: the server removes a
        // replaced file only then.
        QTRY_COMPARE_WITH_TIMEOUT(hiddenEntries(share->backing()), QStringList(), ServerLetGoMs);
    }
    // A rename that fails keeps the old text, and no temporary.
    SafeFile::setInjectedRenameFailure(EBUSY);
    const StoreResult failed = Store::writeWholeText(path, QStringLiteral("lost edit"));
    SafeFile::setInjectedRenameFailure(0);
    QVERIFY(!failed.ok());
    QCOMPARE(FolderProbe::rawRead(share->backing() + QStringLiteral("/hello.msa")),
             QByteArray("edit 3\r\n"));
    QCOMPARE(hiddenEntries(share->backing()), QStringList());
}

// Compose writes a new message; filing it in History moved nothing on smbnetfs ("Cannot find
// history folder" although it was there) and left a temporary in History at every try.
void tst_RealShares::composeAndMoveToHistory()
{
    START_SHARE(share);
    QVERIFY(QDir().mkdir(share->mountPoint() + QStringLiteral("/History")));
    const QString inbox = share->mountPoint();
    const StoreResult composed
        = Store::writeWholeText(inbox + QStringLiteral("/note.msa"), QStringLiteral("hi"));
    QVERIFY2(composed.ok(), qPrintable(composed.describe()));
    const StoreResult moved = Store::moveMessage(inbox + QStringLiteral("/note.msa"),
                                                 inbox + QStringLiteral("/History"));
    QVERIFY2(moved.ok(), qPrintable(moved.describe()));
    const QString server = share->backing();
    QCOMPARE(FolderProbe::rawRead(server + QStringLiteral("/History/note.msa")),
             QByteArray("hi\r\n\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(server + QStringLiteral("/note.msa")), ServerLetGoMs);
    QTRY_COMPARE_WITH_TIMEOUT(hiddenEntries(server), QStringList(), ServerLetGoMs);
    QCOMPARE(hiddenEntries(server + QStringLiteral("/History")), QStringList());
}

// sshfs: another computer rewrites a message in place (truncate, then write) while this one
// files it. The move used to file the empty file it caught, and the text written into the
// claimed file afterwards was deleted with it.
void tst_RealShares::moveDuringRewriteFilesWholeText()
{
    if (const QString missing = RealShare::missingPackage(RealShare::Kind::Sftp);
        !missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("not installed: ") + missing));
    RealShare share(RealShare::Kind::Sftp);
    QVERIFY2(share.isMounted(), qPrintable(share.error()));
    const QString server = share.backing();
    QVERIFY(QDir().mkdir(server + QStringLiteral("/History")));
    QVERIFY(share.putFromOtherComputer(QStringLiteral("plan.msa"), "first draft\r\n"));
    share.startSlowRewrite(QStringLiteral("plan.msa"), "second draft\r\n", 400);
    QTRY_VERIFY_WITH_TIMEOUT(FolderProbe::rawRead(server + QStringLiteral("/plan.msa")).isEmpty(),
                             5000);
    const QString inbox = share.mountPoint();
    const StoreResult moved = Store::moveMessage(inbox + QStringLiteral("/plan.msa"),
                                                 inbox + QStringLiteral("/History"));
    QVERIFY(share.finishRewrite());
    QVERIFY2(moved.ok(), qPrintable(moved.describe()));
    // The whole text is somewhere, and nothing empty was filed.
    const QByteArray filed = FolderProbe::rawRead(server + QStringLiteral("/History/plan.msa"));
    const QByteArray left = FolderProbe::rawRead(server + QStringLiteral("/plan.msa"));
    QVERIFY2(filed.startsWith("second draft\r\n") || left == "second draft\r\n",
             (filed + " / " + left).constData());
    QVERIFY2(filed.isNull() || filed.startsWith("second draft"), filed.constData());
}

// The browser's Rename from note.msg to NOTE.msg: on a share that ignores case the two are
// one file, which must neither be doubled, lost nor rewritten.
void tst_RealShares::renameChangingCaseKeepsOneMessage()
{
    START_SHARE(share);
    QVERIFY(share->putFromOtherComputer(QStringLiteral("note.msg"), "mine\r\n"));
    const StoreResult renamed = Store::renameToNamedMessage(
        share->mountPoint() + QStringLiteral("/note.msg"), share->mountPoint(),
        QStringLiteral("NOTE"), QStringLiteral("d"));
    QVERIFY2(renamed.ok(), qPrintable(renamed.describe()));
    QList<QByteArray> messages;
    for (const QByteArray &name : FolderProbe::entries(share->backing()))
        messages << name;
    QCOMPARE(messages.size(), 1);
    const QByteArray text = FolderProbe::rawRead(share->backing() + '/' + messages.first());
    if (kind == RealShare::Kind::Smb)
        QCOMPARE(text, QByteArray("mine\r\n"));
    else
        QCOMPARE(messages.first(), QByteArray("NOTE.msg"));
}

void tst_RealShares::putBackNeverOverwrites_data()
{
    QTest::addColumn<RealShare::Kind>("kind");
    QTest::addColumn<QString>("otherName");
    QTest::addColumn<QString>("putBackName");
    // Samba's default: names without regard to case, so NOTE.msa takes note.msa's place.
    QTest::newRow("smb, same name") << RealShare::Kind::Smb << "note.msa"
                                    << "note (2).msa";
    QTest::newRow("smb, other case") << RealShare::Kind::Smb << "NOTE.msa"
                                     << "note (2).msa";
    // sshfs refuses RENAME_NOREPLACE, and its hard links report one name.
    QTest::newRow("sftp, same name") << RealShare::Kind::Sftp << "note.msa"
                                     << "note (2).msa";
    QTest::newRow("sftp, other case") << RealShare::Kind::Sftp << "NOTE.msa"
                                      << "note.msa";
}

// A move claims its source, and puts it back when it changed meanwhile. Another computer's
// save that took the name since must never be overwritten by the put-back.
void tst_RealShares::putBackNeverOverwrites()
{
    QFETCH(QString, otherName);
    QFETCH(QString, putBackName);
    START_SHARE(share);
    const QString path = share->mountPoint() + QStringLiteral("/note.msa");
    QVERIFY(Store::writeWholeText(path, QStringLiteral("mine")).ok());
    {
        FileClaim claim;
        const SafeFile::Result taken = claim.take(path);
        QVERIFY2(taken.ok(), qPrintable(QString::number(taken.systemError)));
        QVERIFY(share->putFromOtherComputer(otherName, "theirs\r\n"));
        // The share's client may still have the name's absence cached.
        QTest::qWait(1100);
        const SafeFile::Result back = claim.putBack();
        QVERIFY2(back.ok(), qPrintable(QString::number(back.systemError)));
    }
    const QString server = share->backing() + QLatin1Char('/');
    QCOMPARE(FolderProbe::rawRead(server + otherName), QByteArray("theirs\r\n"));
    QCOMPARE(FolderProbe::rawRead(server + putBackName), QByteArray("mine\r\n"));
    QCOMPARE(hiddenEntries(share->backing()), QStringList());
    // The put-back file opens: a link made on the way does not leave it looking hard-linked.
    QByteArray bytes;
    QVERIFY(
        SafeFile::readAll(share->mountPoint() + QLatin1Char('/') + putBackName, &bytes, -1).ok());
}

QTEST_GUILESS_MAIN(tst_RealShares)
#include "tst_RealShares.moc"
