// Two offices, one folder: two real Syncthing instances on loopback carry one office folder
// between site A and site B, as two offices would over the internet. A message composed at A
// reaches B; a viewer at B whose message A renamed meanwhile asks before it writes, and never
// brings the old name back; a conflict while the link was down keeps both texts, and the copy
// is counted. The figures printed at the end are the latencies of one run.

#include "SyncthingSite.h"
#include "app/Form3.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "fs/FileList.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/MessageTextEdit.h"
#include "messages/SaveGuard.h"
#include "store/ConflictCopy.h"
#include "store/Store.h"
#include "support/TestPlatform.h"
#include "widgets/FileListBox.h"
#include "widgets/PictureButton.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int WatcherDelayS = 1;
constexpr int WaitMs = 60000;

// Milliseconds until done() holds, or -1 after WaitMs.
qint64 waitUntil(const std::function<bool()> &done, int timeoutMs = WaitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return -1;
        QTest::qWait(20);
    }
    return timer.elapsed();
}

bool exists(const QString &path)
{
    return QFileInfo::exists(path);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void click(PictureButton *button)
{
    button->pressDown();
    button->releaseUp();
}

} // namespace

class tst_TwoSites : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void composedAtAReachesB();
    void renamedAtAWhileOpenAtB();
    void movedAndDeletedAtA();
    void conflictKeepsBothAndIsCounted();

private:
    // Both sites have settled: scanned, nothing left to pull, connected.
    bool settled() const
    {
        return m_a->idle() && m_b->idle() && m_a->connectedTo(*m_b) && m_b->connectedTo(*m_a);
    }

    QTemporaryDir m_root;
    std::unique_ptr<SyncthingSite> m_a;
    std::unique_ptr<SyncthingSite> m_b;
    QStringList m_latencies;
};

void tst_TwoSites::initTestCase()
{
    if (SyncthingSite::binary().isEmpty())
        QSKIP("syncthing is not installed (Debian package syncthing)");
    QVERIFY(m_root.isValid());
    m_a = std::make_unique<SyncthingSite>(m_root.path(), QStringLiteral("siteA"));
    m_b = std::make_unique<SyncthingSite>(m_root.path(), QStringLiteral("siteB"));
    QString error;
    QVERIFY2(m_a->generate(&error), qPrintable(error));
    QVERIFY2(m_b->generate(&error), qPrintable(error));
    QVERIFY2(m_a->writeConfig(*m_b, WatcherDelayS, &error), qPrintable(error));
    QVERIFY2(m_b->writeConfig(*m_a, WatcherDelayS, &error), qPrintable(error));
    for (SyncthingSite *site : { m_a.get(), m_b.get() }) {
        // What make office leaves in an office folder: the History folder, the launcher,
        // lib/ and the ignore block.
        QVERIFY(QDir().mkpath(site->file(QStringLiteral("History"))));
        QVERIFY(QDir().mkpath(site->file(QStringLiteral("lib"))));
        QProcess write;
        write.start(QStringLiteral(NOTAVO_SOURCE_DIR "/tools/write-stignore.sh"),
                    { site->folder() });
        QVERIFY(write.waitForFinished(10000) && write.exitCode() == 0);
    }
    // Each site's own program: neither may reach the other.
    QFile launcher(m_a->file(QStringLiteral("Notavo")));
    QVERIFY(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\n");
    launcher.close();
    QFile library(m_a->file(QStringLiteral("lib/Notavo")));
    QVERIFY(library.open(QIODevice::WriteOnly));
    library.close();
    QVERIFY2(m_a->start(&error), qPrintable(error));
    QVERIFY2(m_b->start(&error), qPrintable(error));

    // Nothing may leave the computer: check what the running instances took from the config.
    for (SyncthingSite *site : { m_a.get(), m_b.get() }) {
        QJsonObject options;
        waitUntil([&] {
            options = site->get(QStringLiteral("/rest/config/options")).object();
            return !options.isEmpty();
        });
        QVERIFY2(!options.isEmpty(), qPrintable(site->log()));
        QCOMPARE(options.value("globalAnnounceEnabled").toBool(true), false);
        QCOMPARE(options.value("localAnnounceEnabled").toBool(true), false);
        QCOMPARE(options.value("relaysEnabled").toBool(true), false);
        QCOMPARE(options.value("natEnabled").toBool(true), false);
        QCOMPARE(options.value("crashReportingEnabled").toBool(true), false);
        QCOMPARE(options.value("urAccepted").toInt(), -1);
        QCOMPARE(options.value("autoUpgradeIntervalH").toInt(-1), 0);
        const QJsonArray listen = options.value("listenAddresses").toArray();
        QCOMPARE(listen.size(), 1);
        QVERIFY(listen.first().toString().startsWith(QLatin1String("tcp://127.0.0.1:")));
    }
    QVERIFY2(waitUntil([this] { return settled(); }) >= 0,
             qPrintable(m_a->log() + QLatin1Char('\n') + m_b->log()));
}

void tst_TwoSites::cleanupTestCase()
{
    if (m_a)
        m_a->stop();
    if (m_b)
        m_b->stop();
    if (!m_latencies.isEmpty())
        qInfo("Two-site latencies (A acts, B sees it), fsWatcherDelayS=%d: %s", WatcherDelayS,
              qPrintable(m_latencies.join(QStringLiteral(", "))));
}

void tst_TwoSites::composedAtAReachesB()
{
    // Leftovers of a crash at A: a temporary and a claim folder holding a message.
    QFile temporary(m_a->file(QStringLiteral(".notavo-tmp-leftover")));
    QVERIFY(temporary.open(QIODevice::WriteOnly));
    temporary.write("half a message");
    temporary.close();
    QVERIFY(QDir().mkpath(m_a->file(QStringLiteral(".notavo-claim-leftover"))));
    QFile claimed(m_a->file(QStringLiteral(".notavo-claim-leftover/claimed.msg")));
    QVERIFY(claimed.open(QIODevice::WriteOnly));
    claimed.close();

    const QByteArray text = "Lunch at one?\r\n";
    QVERIFY(Store::writeWholeText(m_a->file(QStringLiteral("hello.msg")),
                                  QString::fromLatin1(text.chopped(2)))
                .ok());
    const qint64 created = waitUntil(
        [this, text] { return contents(m_b->file(QStringLiteral("hello.msg"))) == text; });
    QVERIFY2(created >= 0, qPrintable(m_b->log()));
    m_latencies << QStringLiteral("create %1 ms").arg(created);

    QVERIFY(waitUntil([this] { return settled(); }) >= 0);
    for (const char *local :
         { "Notavo", "lib/Notavo", ".notavo-tmp-leftover", ".notavo-claim-leftover" })
        QVERIFY2(!exists(m_b->file(QLatin1String(local))), local);
}

void tst_TwoSites::renamedAtAWhileOpenAtB()
{
    TestPlatform platform;
    AppState state(m_b->folder(), platform.platform());
    WindowRegistry windows(state);
    Form4 &browser = windows.form4();
    browser.OpenInbox();
    QVERIFY(browser.File1->selectName(QStringLiteral("hello.msg")));
    click(browser.openy);
    Form2 *viewer = windows.form2IfLoaded();
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("Lunch at one? Yes, B."));

    QVERIFY(Store::renameMessage(m_a->file(QStringLiteral("hello.msg")),
                                 m_a->file(QStringLiteral("plan.msg")))
                .ok());
    const qint64 renamed = waitUntil([this] {
        return exists(m_b->file(QStringLiteral("plan.msg")))
            && !exists(m_b->file(QStringLiteral("hello.msg")));
    });
    QVERIFY2(renamed >= 0, qPrintable(m_b->log()));
    m_latencies << QStringLiteral("rename %1 ms").arg(renamed);

    // Save at B: a box, not the old name back.
    platform.dialogs.queueChoice(QStringLiteral("Cancel"));
    click(viewer->sav);
    QVERIFY(platform.dialogs.last());
    QCOMPARE(platform.dialogs.last()->title, SaveGuard::goneTitle());
    QVERIFY(platform.dialogs.last()->text.contains(QStringLiteral("'hello.msg'")));
    QVERIFY(!exists(m_b->file(QStringLiteral("hello.msg"))));

    // Saved as a new message, the text reaches A under the old name, beside the renamed one.
    platform.dialogs.queueChoice(QStringLiteral("Save as New"));
    click(viewer->sav);
    QVERIFY(waitUntil([this] {
                return contents(m_a->file(QStringLiteral("hello.msg")))
                    == "Lunch at one? Yes, B.\r\n";
            })
            >= 0);
    QCOMPARE(contents(m_a->file(QStringLiteral("plan.msg"))), QByteArray("Lunch at one?\r\n\r\n"));
    click(viewer->exity);
    QVERIFY(Store::deleteMessage(m_a->file(QStringLiteral("hello.msg"))).ok());
    QVERIFY(waitUntil([this] { return !exists(m_b->file(QStringLiteral("hello.msg"))); }) >= 0);
}

void tst_TwoSites::movedAndDeletedAtA()
{
    QVERIFY(Store::moveMessage(m_a->file(QStringLiteral("plan.msg")),
                               m_a->file(QStringLiteral("History")))
                .ok());
    const qint64 moved = waitUntil([this] {
        return exists(m_b->file(QStringLiteral("History/plan.msg")))
            && !exists(m_b->file(QStringLiteral("plan.msg")));
    });
    QVERIFY2(moved >= 0, qPrintable(m_b->log()));
    m_latencies << QStringLiteral("move to History %1 ms").arg(moved);

    QVERIFY(Store::deleteMessage(m_a->file(QStringLiteral("History/plan.msg"))).ok());
    const qint64 deleted
        = waitUntil([this] { return !exists(m_b->file(QStringLiteral("History/plan.msg"))); });
    QVERIFY2(deleted >= 0, qPrintable(m_b->log()));
    m_latencies << QStringLiteral("delete %1 ms").arg(deleted);
}

void tst_TwoSites::conflictKeepsBothAndIsCounted()
{
    QVERIFY(
        Store::writeWholeText(m_a->file(QStringLiteral("memo.msg")), QStringLiteral("v1")).ok());
    QVERIFY(waitUntil([this] { return exists(m_b->file(QStringLiteral("memo.msg"))); }) >= 0);
    QVERIFY(waitUntil([this] { return settled(); }) >= 0);

    // The link goes down; both sites save memo.
    QVERIFY(m_a->post(QStringLiteral("/rest/system/pause?device=") + m_b->deviceId()));
    QVERIFY(m_b->post(QStringLiteral("/rest/system/pause?device=") + m_a->deviceId()));
    QVERIFY(waitUntil([this] { return !m_a->connectedTo(*m_b) && !m_b->connectedTo(*m_a); }) >= 0);
    QVERIFY(Store::writeWholeText(m_a->file(QStringLiteral("memo.msg")), QStringLiteral("from A"))
                .ok());
    QTest::qWait(1100);
    QVERIFY(Store::writeWholeText(m_b->file(QStringLiteral("memo.msg")), QStringLiteral("from B"))
                .ok());
    // Both scans see their own save before the link is back.
    QTest::qWait(WatcherDelayS * 1000 + 1500);
    QVERIFY(waitUntil([this] { return m_a->idle() && m_b->idle(); }) >= 0);
    QVERIFY(m_a->post(QStringLiteral("/rest/system/resume?device=") + m_b->deviceId()));
    QVERIFY(m_b->post(QStringLiteral("/rest/system/resume?device=") + m_a->deviceId()));

    const auto conflictCopies = [](const SyncthingSite &site) {
        QStringList copies;
        for (const QString &name : QDir(site.folder()).entryList(QDir::Files))
            if (Store::isConflictCopy(name))
                copies << name;
        return copies;
    };
    QVERIFY2(waitUntil([&] {
                 return conflictCopies(*m_a).size() == 1 && conflictCopies(*m_b).size() == 1
                     && settled();
             }) >= 0,
             qPrintable(m_a->log() + QLatin1Char('\n') + m_b->log()));
    const QString copy = conflictCopies(*m_b).first();
    QCOMPARE(conflictCopies(*m_a).first(), copy);
    QVERIFY2(copy.startsWith(QLatin1String("memo.sync-conflict-")) && copy.endsWith(".msg"),
             qPrintable(copy));
    // The later save keeps the name; the other text is in the copy: nothing is lost.
    QCOMPARE(contents(m_b->file(QStringLiteral("memo.msg"))), QByteArray("from B\r\n"));
    QCOMPARE(contents(m_b->file(copy)), QByteArray("from A\r\n"));

    // The recipient's count has both.
    TestPlatform platform;
    AppState state(m_b->folder(), platform.platform());
    WindowRegistry windows(state);
    FileList &inbox = *windows.form3().File1;
    inbox.setPath(m_b->folder());
    inbox.setPattern(QStringLiteral("*.msg"));
    QCOMPARE(inbox.names(), QStringList({ QStringLiteral("memo.msg"), copy }));
}

QTEST_MAIN(tst_TwoSites)
#include "tst_TwoSites.moc"
