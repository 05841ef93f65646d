#include "desktop/ShellLink.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

class tst_ShellLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void execQuoting();
    void writesAndReplacesTheAutostartEntry();
    void replacingKeepsTheUsersSwitchOff_data();
    void replacingKeepsTheUsersSwitchOff();
    void entryIsValid_data();
    void entryIsValid();
    void fallsBackToHomeConfig();
    void refusesNamesItCannotWrite();

private:
    QString entryPath() const { return m_dir->file("config/autostart/Notavo.desktop"); }

    std::unique_ptr<TempFolder> m_dir;
    QByteArray m_savedHome;
};

void tst_ShellLink::init()
{
    m_dir = std::make_unique<TempFolder>();
    m_savedHome = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->file("config")));
}

void tst_ShellLink::cleanup()
{
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_savedHome);
    m_dir.reset();
}

void tst_ShellLink::execQuoting()
{
    // Quoted for Exec, then string-escaped: a literal backslash ends up as four.
    const auto quote = &XdgShellLink::quoteExecArgument;
    QCOMPARE(quote("/my office/100%"), QString("\"/my office/100%%\""));
    QCOMPARE(quote("a\"b"), QString("\"a\\\\\"b\""));
    QCOMPARE(quote("$x`"), QString("\"\\\\$x\\\\`\""));
    QCOMPARE(quote("a\\b"), QString("\"a\\\\\\\\b\""));
}

void tst_ShellLink::writesAndReplacesTheAutostartEntry()
{
    XdgShellLink shellLink;
    QVERIFY(shellLink.fCreateShellLink("StartUp", "Notavo", "/old place/Notavo", ""));
    QVERIFY(shellLink.fCreateShellLink("StartUp", "Notavo", "/srv/office/Notavo", "-x \"a b\""));
    QFile file(entryPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QString("[Desktop Entry]\n"
                     "Type=Application\n"
                     "Name=Notavo\n"
                     "Comment=Office message pad: announces waiting messages\n"
                     "Exec=\"/srv/office/Notavo\" \"-x\" \"a b\"\n"
                     "Path=/srv/office\n"
                     "Icon=io.github.notavo.Notavo\n"
                     "Terminal=false\n"
                     "X-GNOME-Autostart-enabled=true\n"));
    QCOMPARE(QDir(m_dir->file("config/autostart")).entryList(QDir::Files | QDir::Hidden),
             QStringList("Notavo.desktop"));
}

void tst_ShellLink::replacingKeepsTheUsersSwitchOff_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("gnomeEnabled");
    const QByteArray head = "[Desktop Entry]\nType=Application\nName=Notavo\nExec=/old/Notavo\n";
    QTest::newRow("hidden") << head + "Hidden=true\n" << true << true;
    QTest::newRow("GNOME switch") << head + "X-GNOME-Autostart-enabled = false\n" << false << false;
    QTest::newRow("switched on again") << head + "Hidden=false\nX-GNOME-Autostart-enabled=true\n"
                                       << false << true;
    QTest::newRow("other group") << head + "[Desktop Action a]\nHidden=true\n" << false << true;
}

void tst_ShellLink::replacingKeepsTheUsersSwitchOff()
{
    QFETCH(QByteArray, old);
    QFETCH(bool, hidden);
    QFETCH(bool, gnomeEnabled);
    m_dir->makeFolder("config/autostart");
    m_dir->write("config/autostart/Notavo.desktop", old);
    QVERIFY(XdgShellLink().fCreateShellLink("StartUp", "Notavo", "/srv/office/Notavo", ""));
    QFile file(entryPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray entry = file.readAll();
    QVERIFY(entry.contains("\nExec=\"/srv/office/Notavo\"\n"));
    QCOMPARE(entry.contains("\nHidden=true\n"), hidden);
    QVERIFY(entry.contains(gnomeEnabled ? "\nX-GNOME-Autostart-enabled=true\n"
                                        : "\nX-GNOME-Autostart-enabled=false\n"));
}

void tst_ShellLink::entryIsValid_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("plain") << "/srv/office/Notavo";
    QTest::newRow("reserved characters") << "/srv/it's \"our\" $office\\100%/Notavo`";
    QTest::newRow("non-ASCII") << QString::fromUtf8("/srv/B\u00fcro/Notavo");
}

void tst_ShellLink::entryIsValid()
{
    QFETCH(QString, target);
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    QVERIFY(XdgShellLink().fCreateShellLink("StartUp", "Notavo", target, ""));
    QProcess process;
    process.start(validator, { entryPath() });
    QVERIFY(process.waitForFinished(30000));
    const QByteArray output = process.readAllStandardOutput() + process.readAllStandardError();
    QVERIFY2(process.exitCode() == 0 && output.trimmed().isEmpty(), output.constData());
}

void tst_ShellLink::fallsBackToHomeConfig()
{
    qputenv("HOME", QFile::encodeName(m_dir->file("home")));
    for (const char *config : { "", "relative/config" }) {
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(XdgShellLink::autostartFolder(), m_dir->file("home/.config/autostart"));
    }
    QVERIFY(XdgShellLink().fCreateShellLink("StartUp", "Notavo", "/srv/Notavo", ""));
    QVERIFY(m_dir->exists("home/.config/autostart/Notavo.desktop"));
}

void tst_ShellLink::refusesNamesItCannotWrite()
{
    XdgShellLink shellLink;
    QVERIFY(!shellLink.fCreateShellLink("StartUp", "../Notavo", "/srv/Notavo", ""));
    QVERIFY(!shellLink.fCreateShellLink("StartUp", "Notavo", "/srv/a\nb/Notavo", ""));
    QVERIFY(!shellLink.fCreateShellLink("../..", "Notavo", "/srv/Notavo", ""));
    QVERIFY(!m_dir->exists("config"));
}

QTEST_GUILESS_MAIN(tst_ShellLink)
#include "tst_ShellLink.moc"
