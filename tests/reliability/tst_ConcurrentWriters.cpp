#include "FolderProbe.h"
#include "FuseShare.h"
#include "RealShare.h"
#include "StressContent.h"
#include "fs/FileList.h"
#include "fs/SafeFile.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

#include <memory>
#include <thread>
#include <vector>

#include <sys/inotify.h>
#include <unistd.h>

// Several copies of the program share one folder with no locking. Four writer processes
// save at once while this process lists and reads the folder the way a polling copy does.
class tst_ConcurrentWriters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void distinctNamesAllArriveWhole();
    void sameNameAlwaysHoldsOneWholeMessage();
    void accountValueIsNeverMissing();
    void saveDuringMoveIsKept();
    void saveRacingMoveOrRenameIsKept_data();
    void saveRacingMoveOrRenameIsKept();

private:
    using Processes = std::vector<std::unique_ptr<QProcess>>;
    Processes startWriters(const QString &mode, const QString &folder, const QString &last);
    static bool allFinished(Processes &writers);
    static void checkExits(Processes &writers);

    int m_writers = 4;
    int m_count = 100;
    int m_timeoutMs = 40000;
};

void tst_ConcurrentWriters::initTestCase()
{
    if (StressContent::fullSize()) {
        m_count = 500;
        m_timeoutMs = 300000;
    }
    QVERIFY2(QFile::exists(QStringLiteral(NOTAVO_STRESS_CHILD)), NOTAVO_STRESS_CHILD);
}

tst_ConcurrentWriters::Processes
tst_ConcurrentWriters::startWriters(const QString &mode, const QString &folder, const QString &last)
{
    Processes writers;
    for (int writer = 0; writer < m_writers; ++writer) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(QStringLiteral(NOTAVO_STRESS_CHILD),
                       { mode, folder, QString::number(writer), QString::number(m_count), last });
        writers.push_back(std::move(process));
    }
    for (auto &process : writers)
        process->waitForStarted(10000);
    return writers;
}

bool tst_ConcurrentWriters::allFinished(Processes &writers)
{
    bool finished = true;
    for (auto &process : writers) {
        if (process->state() != QProcess::NotRunning && !process->waitForFinished(0))
            finished = false;
    }
    return finished;
}

void tst_ConcurrentWriters::checkExits(Processes &writers)
{
    for (auto &process : writers) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
            QFAIL("a writer did not finish in time");
        }
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }
}

void tst_ConcurrentWriters::distinctNamesAllArriveWhole()
{
    TempFolder dir;
    FileList list;
    list.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.count(), 0);

    QElapsedTimer clock;
    clock.start();
    Processes writers
        = startWriters(QStringLiteral("distinct"), dir.path(), QStringLiteral(".ms3"));
    const QDeadlineTimer deadline(m_timeoutMs);
    QSet<QString> verified;
    int polls = 0;
    int pollsWithTemporariesOnDisk = 0;
    int lastCount = 0;
    for (bool done = false; !done && !deadline.hasExpired();) {
        // Decide before listing, so the last listing sees everything the writers wrote.
        done = allFinished(writers);
        QVERIFY(list.refresh());
        ++polls;
        if (FolderProbe::temporaryCount(dir.path()) > 0)
            ++pollsWithTemporariesOnDisk;
        // Files are only ever added here: a shrinking count means a listing missed one.
        QVERIFY2(list.count() >= lastCount, qPrintable(QString::number(list.count())));
        lastCount = list.count();
        for (const QString &name : list.names()) {
            QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
            QVERIFY2(!name.startsWith(QLatin1String(SafeFile::TemporaryPrefix)), qPrintable(name));
            if (verified.contains(name))
                continue;
            // A listed file must already be whole: the rename makes it appear complete.
            int writer = -1;
            int index = -1;
            const QByteArray bytes = FolderProbe::rawRead(dir.file(name));
            QVERIFY2(
                StressContent::identify(bytes, &writer, &index),
                qPrintable(name + QStringLiteral(" holds %1 unexpected bytes").arg(bytes.size())));
            QCOMPARE(name, QStringLiteral("w%1-%2.ms3").arg(writer).arg(index));
            verified.insert(name);
        }
    }
    checkExits(writers);
    const qint64 elapsed = clock.elapsed();

    QVERIFY(list.refresh());
    QCOMPARE(list.count(), m_writers * m_count);
    QCOMPARE(int(verified.size()), m_writers * m_count);
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);
    // Every file, once more at the end, byte for byte and through the store's own read.
    for (const QString &name : list.names()) {
        int writer = -1;
        int index = -1;
        QVERIFY2(StressContent::identify(FolderProbe::rawRead(dir.file(name)), &writer, &index),
                 qPrintable(name));
        const int size = StressContent::sizeFor(writer, index, 64, 16 * 1024);
        QString text;
        QVERIFY(Store::readWholeFile(dir.file(name), &text).ok());
        QCOMPARE(text.size(),
                 Store::wholeTextOf(StressContent::fileBytes(writer, index, size)).size());
    }
    qInfo("%d writers x %d messages: %d files whole, %d polls (%d saw temporaries on disk, none "
          "listed), %lld ms",
          m_writers, m_count, int(verified.size()), polls, pollsWithTemporariesOnDisk, elapsed);
}

void tst_ConcurrentWriters::sameNameAlwaysHoldsOneWholeMessage()
{
    TempFolder dir;
    const QString name = QStringLiteral("shared.ms3");
    FileList list;
    list.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(list.setPath(dir.path()));

    Processes writers = startWriters(QStringLiteral("same"), dir.path(), name);
    const QDeadlineTimer deadline(m_timeoutMs);
    QSet<QPair<int, int>> seen;
    int reads = 0;
    for (bool done = false; !done && !deadline.hasExpired();) {
        done = allFinished(writers);
        QVERIFY(list.refresh());
        QVERIFY2(list.count() <= 1, qPrintable(list.names().join(QLatin1Char(' '))));
        if (list.count() == 0)
            continue;
        QCOMPARE(list.names().constFirst(), name);
        // Every read finds one writer's whole message: never a mix, never a cut-off tail.
        const QByteArray bytes = FolderProbe::rawRead(dir.file(name));
        int writer = -1;
        int index = -1;
        QVERIFY2(StressContent::identify(bytes, &writer, &index),
                 qPrintable(QStringLiteral("read %1 holds %2 bytes that are no whole message")
                                .arg(reads)
                                .arg(bytes.size())));
        seen.insert({ writer, index });
        ++reads;
    }
    checkExits(writers);

    // The last rename wins, and it is some writer's last message.
    int writer = -1;
    int index = -1;
    QVERIFY(StressContent::identify(FolderProbe::rawRead(dir.file(name)), &writer, &index));
    QCOMPARE(index, m_count - 1);
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);
    QVERIFY(list.refresh());
    QCOMPARE(list.count(), 1);
    qInfo("%d writers x %d saves of one name: %d reads, %d different whole messages seen",
          m_writers, m_count, reads, int(seen.size()));
}

// A copy reading an account file while another rewrites it sees the old or the new value,
// never an empty or missing file (which would read as the default: "yes" for st.kfl, or a
// missing account that the login window offers to create).
void tst_ConcurrentWriters::accountValueIsNeverMissing()
{
    TempFolder dir;
    const QString path = dir.file("pp2f.kfl");
    QVERIFY(Store::writeSingleValue(path, StressContent::valueText(0)).ok());
    Processes writers;
    for (int writer = 0; writer < 2; ++writer) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(NOTAVO_STRESS_CHILD),
                       { "values", path, QString::number(m_count * 2) });
        QVERIFY(process->waitForStarted(10000));
        writers.push_back(std::move(process));
    }
    const QDeadlineTimer deadline(m_timeoutMs);
    int reads = 0;
    for (bool done = false; !done && !deadline.hasExpired();) {
        done = allFinished(writers);
        StoreResult result;
        const QString field = Store::readFirstField(path, &result);
        QVERIFY2(result.ok(), qPrintable(result.describe()));
        QVERIFY2(field == StressContent::valueText(0) || field == StressContent::valueText(1),
                 qPrintable(QStringLiteral("read %1: %2 characters").arg(reads).arg(field.size())));
        const QString guarded = Store::guardedRead(path, "fallback");
        QVERIFY(guarded == StressContent::valueText(0) || guarded == StressContent::valueText(1));
        reads += 2;
    }
    checkExits(writers);
    qInfo("2 writers x %d account saves: %d reads, all whole", m_count * 2, reads);
}

// One copy files a message into History while another saves a new version of it. The move
// reads the old version, writes it into History, then deletes the source: if the save lands
// between the read and the delete, the delete takes the new version, which is then nowhere.
// The other copy's save is started the moment the move begins writing its History copy (a
// large message makes that write slow), which puts it in that window every time.
void tst_ConcurrentWriters::saveDuringMoveIsKept()
{
    const int rounds = StressContent::fullSize() ? 50 : 10;
    const QByteArray oldVersion = "version 1 " + QByteArray(4 * 1024 * 1024, 'o');
    int lost = 0;
    for (int round = 0; round < rounds; ++round) {
        TempFolder dir;
        dir.makeFolder("History");
        dir.write("m.ms3", oldVersion);
        const int events = ::inotify_init1(IN_CLOEXEC);
        QVERIFY(events >= 0);
        QVERIFY(::inotify_add_watch(events, QFile::encodeName(dir.file("History")).constData(),
                                    IN_CREATE)
                >= 0);
        StoreResult saved;
        std::thread otherCopy([&] {
            char buffer[4096];
            if (::read(events, buffer, sizeof buffer) > 0)
                saved = Store::writeWholeText(dir.file("m.ms3"), "version 2");
        });
        const StoreResult moved = Store::moveMessage(dir.file("m.ms3"), dir.file("History"));
        otherCopy.join();
        ::close(events);
        QVERIFY(moved.ok());
        QVERIFY(saved.ok());
        // The old version is in History; the new one must be somewhere.
        QVERIFY(dir.read("History/m.ms3").startsWith("version 1"));
        if (dir.read("m.ms3") != "version 2\r\n")
            ++lost;
    }
    qInfo("%d of %d saves made during a move were lost", lost, rounds);
    QCOMPARE(lost, 0);
}

void tst_ConcurrentWriters::saveRacingMoveOrRenameIsKept_data()
{
    QTest::addColumn<bool>("rename");
    QTest::addColumn<bool>("fuse");
    QTest::addColumn<bool>("savedOnServer");
    QTest::addColumn<int>("realShare"); // -1: none, else a RealShare::Kind
    QTest::newRow("move, local disk") << false << false << false << -1;
    QTest::newRow("rename, local disk") << true << false << false << -1;
    QTest::newRow("move, bindfs share") << false << true << false << -1;
    QTest::newRow("move, bindfs share, saved on the server") << false << true << true << -1;
    // Another computer's save: smbclient replaces the file, ssh's "cat >" rewrites it in place.
    QTest::newRow("move, samba share, saved by another computer")
        << false << true << true << int(RealShare::Kind::Smb);
    QTest::newRow("move, sftp share, rewritten by another computer")
        << false << true << true << int(RealShare::Kind::Sftp);
}

// Another copy saves a new version of a message at a random moment while this one moves it to
// History (or renames it): whenever the save lands, its text must exist afterwards under the
// old name, the new name or in History. The save extends the old text, the hardest case for
// a check that compares what was copied with what is deleted (over FUSE a stale size would
// make the two look equal). Over the share, the saves come through the share or, standing for
// another computer, straight into the server's folder behind the share's caches.
void tst_ConcurrentWriters::saveRacingMoveOrRenameIsKept()
{
    QFETCH(bool, rename);
    QFETCH(bool, fuse);
    QFETCH(bool, savedOnServer);
    QFETCH(int, realShare);
    TempFolder root;
    root.makeFolder("server/History");
    root.makeFolder("share");
    std::unique_ptr<FuseShare> share;
    std::unique_ptr<RealShare> server;
    if (realShare >= 0) {
        const auto kind = RealShare::Kind(realShare);
        if (const QString missing = RealShare::missingPackage(kind); !missing.isEmpty())
            QSKIP(qPrintable("not installed: " + missing));
        server = std::make_unique<RealShare>(kind);
        QVERIFY2(server->isMounted(), qPrintable(server->error()));
        QVERIFY(QDir().mkdir(server->mountPoint() + "/History"));
    } else if (fuse) {
        if (!FuseShare::available())
            QSKIP("/dev/fuse cannot be opened here");
        share = std::make_unique<FuseShare>(root.file("server"), root.file("share"));
        QVERIFY2(share->mounted(), qPrintable(share->error()));
    }
    const QString data = server ? server->mountPoint()
        : fuse                  ? root.file("share")
                                : root.file("server");
    const QString saveFolder = savedOnServer ? root.file("server") : data;
    const QString history = data + "/History";
    const int rounds = server       ? 12
        : StressContent::fullSize() ? (fuse ? 500 : 2000)
                                    : (fuse ? 40 : 200);

    const auto moveOnce = [&] {
        return rename ? Store::renameMessage(data + "/m.ms3", data + "/n.ms3")
                      : Store::moveMessage(data + "/m.ms3", history);
    };
    // How long one move takes here; the saves are spread over that time and a little more.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i) {
        QVERIFY(Store::writeWholeText(data + "/m.ms3", "warm-up").ok());
        QVERIFY(moveOnce().ok());
    }
    const qint64 moveUs = std::max<qint64>(clock.nsecsElapsed() / 5000, 50);
    // Another computer's client takes a while to start: the move then begins at a random
    // moment of that save instead.
    qint64 putUs = 0;
    if (server) {
        clock.restart();
        QVERIFY(server->putFromOtherComputer("warm-up.ms3", "warm-up\r\n"));
        putUs = clock.nsecsElapsed() / 1000;
        QVERIFY(server->removeFromOtherComputer("warm-up.ms3"));
    }

    QRandomGenerator random(20261208);
    int lost = 0;
    int putBack = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString oldText = QStringLiteral("round %1: version 1").arg(round);
        const QString newText = oldText + QStringLiteral(", edited by another copy");
        const StoreResult first = Store::writeWholeText(data + "/m.ms3", oldText);
        QVERIFY2(first.ok(), qPrintable(QString::number(round) + first.describe()));
        const qint64 delayUs = server ? 0 : random.bounded(moveUs * 3 / 2);
        StoreResult saved;
        bool savedByOther = true;
        std::thread otherCopy([&] {
            QThread::usleep(delayUs);
            // Samba may refuse another computer's write for the moment this one renames or
            // deletes that name; that client reports it and its user tries again.
            for (int attempt = 0; server && attempt < 5; ++attempt) {
                savedByOther = server->putFromOtherComputer("m.ms3", newText.toLatin1() + "\r\n");
                if (savedByOther)
                    break;
                QThread::msleep(50);
            }
            if (!server)
                saved = Store::writeWholeText(saveFolder + "/m.ms3", newText);
        });
        if (server)
            QThread::usleep(random.bounded(putUs + moveUs));
        const StoreResult moved = moveOnce();
        otherCopy.join();
        QVERIFY(savedByOther);
        QVERIFY2(saved.ok(), qPrintable(saved.describe()));
        QVERIFY2(moved.ok(), qPrintable(moved.describe()));
        // Behind a share's caches, look at the server's own folder.
        const QString serverFolder = server ? server->backing() : root.file("server");
        bool found = false;
        for (const QString &folder : { serverFolder, serverFolder + "/History" }) {
            for (const QByteArray &name : FolderProbe::entries(folder)) {
                QVERIFY2(!name.startsWith(SafeFile::ClaimPrefix), name.constData());
                const QString path = folder + '/' + QFile::decodeName(name);
                // Never an empty or partial text filed (a rewrite caught midway).
                if (name.endsWith(".ms3"))
                    QVERIFY2(FolderProbe::rawRead(path).endsWith("\r\n"), qPrintable(path));
                if (FolderProbe::rawRead(path).startsWith(newText.toLatin1() + "\r\n"))
                    found = true;
                if (name == "m (2).ms3")
                    ++putBack;
                if (name.endsWith(".ms3"))
                    QFile::remove(path);
            }
        }
        if (!found)
            ++lost;
    }
    qInfo("%d of %d saves racing a %s (%lld us) lost; %d kept under a second name", lost, rounds,
          rename ? "rename" : "move", moveUs, putBack);
    QCOMPARE(lost, 0);
}

QTEST_GUILESS_MAIN(tst_ConcurrentWriters)
#include "tst_ConcurrentWriters.moc"
