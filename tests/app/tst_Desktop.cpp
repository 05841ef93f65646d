// Starts the real program in its own data folder on a virtual X display and watches which
// windows are mapped: the splash first, the main window only when the splash ends.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class tst_Desktop : public QObject
{
    Q_OBJECT
private slots:
    void mainWindowAppearsAfterSplash();

private:
    bool shown(const QString &namePattern) const;
    QProcessEnvironment m_display;
};

bool tst_Desktop::shown(const QString &namePattern) const
{
    QProcess search;
    search.setProcessEnvironment(m_display);
    search.start(QStringLiteral("xdotool"),
                 { QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                   QStringLiteral("--name"), namePattern });
    search.waitForFinished(3000);
    return search.exitCode() == 0 && !search.readAllStandardOutput().trimmed().isEmpty();
}

void tst_Desktop::mainWindowAppearsAfterSplash()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xvfb-run and xdotool are needed for the desktop test");

    QTemporaryDir office;
    QTemporaryDir config;
    const QString program = office.filePath(QStringLiteral("Notavo"));
    QVERIFY(QFile::copy(QStringLiteral(NOTAVO_BINARY), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess xvfb;
    xvfb.setProcessEnvironment(environment);
    xvfb.start(QStringLiteral("xvfb-run"),
               { QStringLiteral("-a"), QStringLiteral("-s"),
                 QStringLiteral("-screen 0 1024x768x24"), QStringLiteral("sh"),
                 QStringLiteral("-c"),
                 QStringLiteral("echo \"DISPLAY=$DISPLAY\"; echo \"XAUTHORITY=$XAUTHORITY\"; "
                                "cd \"$1\" || exit 1; ./Notavo & echo \"PID=$!\"; wait"),
                 QStringLiteral("sh"), office.path() });
    QVERIFY(xvfb.waitForStarted());

    qint64 pid = 0;
    QElapsedTimer waiting;
    waiting.start();
    QByteArray output;
    while (pid == 0 && waiting.elapsed() < 20000) {
        xvfb.waitForReadyRead(200);
        output += xvfb.readAllStandardOutput();
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("DISPLAY="))
                m_display.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(line.mid(8)));
            else if (line.startsWith("XAUTHORITY="))
                m_display.insert(QStringLiteral("XAUTHORITY"),
                                 QString::fromLocal8Bit(line.mid(11)));
            else if (line.startsWith("PID="))
                pid = line.mid(4).toLongLong();
        }
    }
    QVERIFY2(pid > 0, output.constData());
    QElapsedTimer sinceStart;
    sinceStart.start();

    qint64 splashSeen = -1;
    qint64 mainSeen = -1;
    bool splashGone = false;
    // Generous: other programs may be loading the machine.
    while (sinceStart.elapsed() < 15000) {
        const bool splash = shown(QStringLiteral("^Notavo$"));
        const bool main = shown(QStringLiteral("^Notavo 3\\.0$"));
        if (splash && splashSeen < 0)
            splashSeen = sinceStart.elapsed();
        if (main && mainSeen < 0)
            mainSeen = sinceStart.elapsed();
        if (mainSeen >= 0 && !splash) {
            splashGone = true;
            break;
        }
        QTest::qWait(100);
    }
    ::kill(pid_t(pid), SIGTERM);
    if (!xvfb.waitForFinished(10000))
        xvfb.kill();
    const QByteArray messages = xvfb.readAllStandardError();
    if (!messages.isEmpty())
        qInfo("%s", messages.constData());

    qInfo("splash seen at %lld ms, main window at %lld ms", splashSeen, mainSeen);
    QVERIFY2(splashSeen >= 0, "the splash window never appeared");
    QVERIFY2(mainSeen >= 0, "the main window never appeared");
    QVERIFY2(splashSeen < mainSeen, "the main window appeared before the splash");
    QVERIFY2(mainSeen >= 3500, qPrintable(QStringLiteral("main window after %1 ms").arg(mainSeen)));
    QVERIFY2(mainSeen - splashSeen <= 8000,
             qPrintable(QStringLiteral("main window after %1 ms").arg(mainSeen)));
    QVERIFY(splashGone);

    // The start-up also made the History folder and the autostart entry.
    QVERIFY(QFileInfo(office.filePath(QStringLiteral("History"))).isDir());
    QFile entry(config.filePath(QStringLiteral("autostart/Notavo.desktop")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains(program.toLocal8Bit()));
}

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_Desktop.moc"
