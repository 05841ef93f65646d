#include "FolderProbe.h"
#include "StressContent.h"
#include "platform/fs/FileList.h"
#include "platform/fs/SafeFile.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>

// A copy killed in the middle of a save (power cut, kill -9) must cost nothing: the message
// holds the old or the new content, and what the killed copy left behind is never listed
// and gets cleared away.
class tst_CrashDuringWrite : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesOldOrNew();
};

void tst_CrashDuringWrite::killedWriterLeavesOldOrNew()
{
    const int kills = StressContent::fullSize() ? 200 : 25;
    // Large enough that a save takes a while, so many kills land inside one.
    const int size = 256 * 1024;
    const QByteArray contents[2]
        = { StressContent::fileBytes(0, 0, size), StressContent::fileBytes(1, 1, size) };
    TempFolder dir;
    const QString name = QStringLiteral("crash.ms3");
    dir.write(name, contents[0]);
    FileList list;
    list.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(list.setPath(dir.path()));

    QRandomGenerator random(20261208);
    int oldSeen = 0;
    int newSeen = 0;
    int midWrite = 0;
    QElapsedTimer clock;
    clock.start();
    for (int kill = 0; kill < kills; ++kill) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(NOTAVO_STRESS_CHILD),
                    { QStringLiteral("loop"), dir.file(name), QString::number(size) });
        QVERIFY(child.waitForStarted(10000));
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readLine(), QByteArray("ready\n"));
        // Anywhere in the first few saves, including inside the first one.
        QThread::usleep(random.bounded(40000));
        QCOMPARE(child.state(), QProcess::Running);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const int temporaries = FolderProbe::temporaryCount(dir.path());
        QVERIFY2(temporaries <= midWrite + 1, "a kill left more than one temporary");
        if (temporaries > midWrite)
            ++midWrite;
        const QByteArray bytes = FolderProbe::rawRead(dir.file(name));
        if (bytes == contents[0])
            ++oldSeen;
        else if (bytes == contents[1])
            ++newSeen;
        else
            QFAIL(qPrintable(QStringLiteral("kill %1 left %2 bytes that are neither content")
                                 .arg(kill)
                                 .arg(bytes.size())));
        QVERIFY(list.refresh());
        QCOMPARE(list.names(), QStringList { name });
    }
    const qint64 elapsed = clock.elapsed();

    // Ages count in whole seconds: wait for the newest leftover to be a second old.
    QThread::msleep(1100);
    QCOMPARE(SafeFile::removeStaleTemporaries(dir.path(), 0), midWrite);
    QCOMPARE(FolderProbe::temporaryCount(dir.path()), 0);
    QCOMPARE(FolderProbe::entries(dir.path()).size(), 1);
    qInfo("%d kills survived in %lld ms: %d landed mid-write (temporary left), file held the "
          "first content %d times, the second %d times",
          kills, elapsed, midWrite, oldSeen, newSeen);
    // Some kills must come during a save, or the test proves little. How many depends on how
    // long the disk takes to sync (about two in five here).
    QVERIFY(midWrite > 0);
}

QTEST_GUILESS_MAIN(tst_CrashDuringWrite)
#include "tst_CrashDuringWrite.moc"
