// The office folder and the menu entry as an administrator makes them: `cmake --install` into a
// fresh folder (make office), then tools/install-launcher.sh with a private XDG_DATA_HOME
// (make launcher).
#include "DesktopSession.h"
#include "platform/fs/FileList.h"
#include "store/SlotTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.output = "timed out";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAll();
    return result;
}

} // namespace

class tst_Install : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void officeFolderHoldsProgramAndQt();
    void programRunsOnBundledQt_data();
    void programRunsOnBundledQt();
    void bundleIsNoMessage();
    void launcherEntryIsValid();
    void metainfoIsValid();

private:
    QString office() const { return m_office.filePath(QStringLiteral("office folder")); }
    QTemporaryDir m_office;
    QTemporaryDir m_dataHome;
};

void tst_Install::initTestCase()
{
    QVERIFY(m_office.isValid() && m_dataHome.isValid());
    // The folder name has a blank, which the menu entry has to quote.
    const Run install = run(QStringLiteral("cmake"),
                            { QStringLiteral("--install"), QStringLiteral(NOTAVO_BUILD_DIR),
                              QStringLiteral("--prefix"), office() });
    QVERIFY2(install.exitCode == 0, install.output.constData());
    // Installing again over a folder in use must work as well (an update).
    const Run again = run(QStringLiteral("cmake"),
                          { QStringLiteral("--install"), QStringLiteral(NOTAVO_BUILD_DIR),
                            QStringLiteral("--prefix"), office() });
    QVERIFY2(again.exitCode == 0, again.output.constData());
}

void tst_Install::officeFolderHoldsProgramAndQt()
{
    const QDir folder(office());
    const QFileInfo program(folder.filePath(QStringLiteral("Notavo")));
    QVERIFY(program.isFile() && program.isExecutable());
    // Every user in the office starts the same program and files into the same History.
    QVERIFY(program.permissions().testFlag(QFileDevice::ExeOther));
    const QFileInfo history(folder.filePath(QStringLiteral("History")));
    QVERIFY(history.isDir());
    QVERIFY(history.permissions().testFlag(QFileDevice::WriteGroup));

    QFile conf(folder.filePath(QStringLiteral("qt.conf")));
    QVERIFY(conf.open(QIODevice::ReadOnly));
    const QByteArray paths = conf.readAll();
    QVERIFY(paths.contains("Libraries = lib"));
    QVERIFY(paths.contains("Plugins = lib/plugins"));
    for (const char *file :
         { "lib/libQt6Core.so.6", "lib/libQt6Gui.so.6", "lib/libQt6Widgets.so.6",
           "lib/libQt6Svg.so.6", "lib/libQt6XcbQpa.so.6", "lib/plugins/platforms/libqxcb.so",
           "lib/plugins/platforms/libqoffscreen.so", "lib/plugins/iconengines/libqsvgicon.so" })
        QVERIFY2(QFileInfo::exists(folder.filePath(QLatin1String(file))), file);
}

void tst_Install::programRunsOnBundledQt_data()
{
    QTest::addColumn<QString>("platform");
    QTest::newRow("X11") << "xcb";
    QTest::newRow("offscreen") << "offscreen";
}

// The program started with nothing but a home folder (and a display) loads Qt and its
// platform plugin from the office folder, also the libraries Qt itself depends on.
void tst_Install::programRunsOnBundledQt()
{
    QFETCH(QString, platform);
    const QString plugin = QStringLiteral("libq%1.so").arg(platform);
    QTemporaryDir home;
    QProcessEnvironment bare;
    DesktopSession desktop;
    if (platform == QLatin1String("xcb")) {
        QString why;
        if (!desktop.startDisplay(&why))
            QSKIP(qPrintable(why));
        bare = desktop.environment(home.path());
        bare.remove(QStringLiteral("PATH"));
    } else {
        bare.insert(QStringLiteral("HOME"), home.path());
        bare.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        bare.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    }
    QProcess program;
    program.setProcessEnvironment(bare);
    program.setWorkingDirectory(home.path());
    program.start(QDir(office()).filePath(QStringLiteral("Notavo")), {});
    QVERIFY(program.waitForStarted());

    QStringList qtFiles;
    QElapsedTimer waiting;
    waiting.start();
    // The platform plugin is loaded once the first window is made.
    while (waiting.elapsed() < 20000) {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
        if (!maps.open(QIODevice::ReadOnly))
            break;
        qtFiles.clear();
        for (const QByteArray &line : maps.readAll().split('\n')) {
            const int slash = line.indexOf('/');
            if (slash < 0)
                continue;
            const QString file = QString::fromLocal8Bit(line.mid(slash));
            if ((file.contains(QLatin1String("/libQt6"))
                 || file.contains(QLatin1String("/plugins/")))
                && !qtFiles.contains(file))
                qtFiles.append(file);
        }
        if (qtFiles.join(QLatin1Char('\n')).contains(plugin))
            break;
        QTest::qWait(100);
    }
    program.kill();
    program.waitForFinished();

    QVERIFY2(qtFiles.join(QLatin1Char('\n')).contains(plugin),
             qPrintable(qtFiles.join(QLatin1Char('\n'))));
    const QString bundle = QFileInfo(office()).canonicalFilePath() + QStringLiteral("/lib/");
    for (const QString &file : std::as_const(qtFiles))
        QVERIFY2(file.startsWith(bundle), qPrintable(file + QStringLiteral(" is not bundled")));
}

// The office folder is the data folder: none of what the installation put there may ever show
// up as a message of any slot.
void tst_Install::bundleIsNoMessage()
{
    for (const Slot &slot : SlotTable::all()) {
        FileList list;
        list.setPattern(slot.filePattern);
        QVERIFY(list.setPath(office()));
        QVERIFY2(list.names().isEmpty(), qPrintable(list.names().join(QLatin1Char(' '))));
    }
}

void tst_Install::launcherEntryIsValid()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
    const Run launcher = run(QStringLiteral(NOTAVO_SOURCE_DIR "/tools/install-launcher.sh"),
                             { office() }, environment);
    QVERIFY2(launcher.exitCode == 0, launcher.output.constData());

    const QDir data(m_dataHome.path());
    const QString entry
        = data.filePath(QStringLiteral("applications/io.github.notavo.Notavo.desktop"));
    QVERIFY(QFileInfo::exists(
        data.filePath(QStringLiteral("icons/hicolor/scalable/apps/io.github.notavo.Notavo.svg"))));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("\nExec=\"" + QFile::encodeName(office()) + "/Notavo\"\n"),
             text.constData());
    QVERIFY(text.contains("\nIcon=io.github.notavo.Notavo\n"));

    const QString validator
        = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    const Run validation = run(validator, { entry });
    QVERIFY2(validation.exitCode == 0 && validation.output.trimmed().isEmpty(),
             validation.output.constData());
}

void tst_Install::metainfoIsValid()
{
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (appstream.isEmpty())
        QSKIP("appstreamcli is not installed");
    const QString metainfo
        = QDir(m_dataHome.path())
              .filePath(QStringLiteral("metainfo/io.github.notavo.Notavo.metainfo.xml"));
    QVERIFY(QFileInfo::exists(metainfo));
    const Run validation
        = run(appstream, { QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo });
    QVERIFY2(validation.exitCode == 0, validation.output.constData());
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_Install.moc"
