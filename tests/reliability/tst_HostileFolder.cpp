#include "FolderProbe.h"
#include "fs/FileList.h"
#include "store/Store.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Anyone who can write into the shared folder can plant links, folders and pipes there, or
// swap a file for one between our listing and our open. None of it may make a copy read,
// write, move or delete anything outside the data folder.
class tst_HostileFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void plantedEntriesAreNeverUsed_data();
    void plantedEntriesAreNeverUsed();
    void historyReplacedByLink();
    void swappedAfterListing_data();
    void swappedAfterListing();
    void replacingDropsSpecialModeBits();
    void replacingKeepsTheSharedGroup();
    void listedNamesCanBeOpened();
    void anotherUsersFilesStayTheirs();

private:
    // root/data (the data folder, with History) and root/outside (a private file and folder).
    QString data() const { return m_root->file("data"); }
    QString history() const { return m_root->file("data/History"); }
    QString outside(const QString &name) const { return m_root->file("outside/" + name); }
    bool plant(const QString &kind, const QString &path) const;
    static FileList *listing(const QString &folder, QObject *parent);

    std::unique_ptr<TempFolder> m_root;
};

static const QByteArray Secret("private text of another user\r\n");

void tst_HostileFolder::init()
{
    m_root = std::make_unique<TempFolder>();
    m_root->makeFolder("data/History");
    m_root->makeFolder("outside/folder");
    m_root->write("outside/private.txt", Secret);
    m_root->write("data/real.ms3", "a real message\r\n");
}

// kind: what to put at path.
bool tst_HostileFolder::plant(const QString &kind, const QString &path) const
{
    const QByteArray encoded = QFile::encodeName(path);
    if (kind == QLatin1String("link to private file"))
        return FolderProbe::plantLink(outside("private.txt"), path);
    if (kind == QLatin1String("link to folder"))
        return FolderProbe::plantLink(outside("folder"), path);
    if (kind == QLatin1String("dangling link"))
        return FolderProbe::plantLink(outside("created-through-link.txt"), path);
    if (kind == QLatin1String("link to itself"))
        return FolderProbe::plantLink(QFileInfo(path).fileName(), path);
    if (kind == QLatin1String("link loop"))
        return FolderProbe::plantLink(path + ".other", path)
            && FolderProbe::plantLink(path, path + ".other");
    if (kind == QLatin1String("hard link to private file"))
        return ::link(QFile::encodeName(outside("private.txt")).constData(), encoded.constData())
            == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(encoded.constData(), 0666) == 0;
    return false;
}

FileList *tst_HostileFolder::listing(const QString &folder, QObject *parent)
{
    auto *list = new FileList(parent);
    list->setPattern(QStringLiteral("*.ms3"));
    list->setPath(folder);
    return list;
}

void tst_HostileFolder::plantedEntriesAreNeverUsed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("inHistory");
    const QStringList kinds { "link to private file",
                              "hard link to private file",
                              "link to folder",
                              "dangling link",
                              "link to itself",
                              "link loop",
                              "folder",
                              "fifo" };
    for (const QString &kind : kinds) {
        QTest::newRow(qPrintable(kind + " in data folder")) << kind << false;
        QTest::newRow(qPrintable(kind + " in History")) << kind << true;
    }
}

void tst_HostileFolder::plantedEntriesAreNeverUsed()
{
    QFETCH(QString, kind);
    QFETCH(bool, inHistory);
    const QString planted = (inHistory ? history() : data()) + "/evil.ms3";
    QVERIFY(plant(kind, planted));
    // For the History case, a real message of the same name waits to be moved onto it.
    if (inHistory)
        m_root->write("data/evil.ms3", "to be filed\r\n");
    const auto before = FolderProbe::snapshot(m_root->path());

    QObject owner;
    const FileList *inbox = listing(data(), &owner);
    const FileList *filed = listing(history(), &owner);
    QVERIFY(inbox->names().contains("real.ms3"));
    QCOMPARE(filed->count(), 0);
    if (!inHistory)
        QCOMPARE(inbox->names(), QStringList { "real.ms3" });

    // Reads refuse, quickly even for a pipe nobody writes to.
    QElapsedTimer clock;
    clock.start();
    QString text = "stale";
    QCOMPARE(Store::readWholeFile(planted, &text).error, StoreResult::Error::NotRegular);
    QCOMPARE(text, QString());
    StoreResult read;
    QCOMPARE(Store::readFirstField(planted, &read), QString());
    QCOMPARE(read.error, StoreResult::Error::NotRegular);
    QCOMPARE(Store::guardedRead(planted, "fallback"), QString("fallback"));
    QVERIFY(clock.elapsed() < 1000);

    // Writes, moves and deletes refuse too.
    QCOMPARE(Store::writeWholeText(planted, "overwritten").error, StoreResult::Error::NotRegular);
    QCOMPARE(Store::writeSingleValue(planted, "overwritten").error, StoreResult::Error::NotRegular);
    bool readFailed = false;
    if (inHistory) {
        QCOMPARE(Store::moveMessage(data() + "/evil.ms3", history(), &readFailed).error,
                 StoreResult::Error::NotRegular);
        QVERIFY(!readFailed);
    } else {
        QCOMPARE(Store::moveMessage(planted, history(), &readFailed).error,
                 StoreResult::Error::NotRegular);
        QVERIFY(readFailed);
    }
    QCOMPARE(Store::deleteMessage(planted).error, StoreResult::Error::NotRegular);

    // Nothing changed anywhere: not the link, not its target, not the source message.
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(m_root->path())),
             QStringList());
    QCOMPARE(FolderProbe::rawRead(outside("private.txt")), Secret);
    QVERIFY(!QFileInfo::exists(outside("created-through-link.txt")));
    QCOMPARE(FolderProbe::temporaryCount(data()) + FolderProbe::temporaryCount(history()), 0);
}

// Another user removes History and puts a link to a folder of their choice in its place.
void tst_HostileFolder::historyReplacedByLink()
{
    QVERIFY(QDir(history()).removeRecursively());
    m_root->write("outside/folder/bait.ms3", "listed only through the link\r\n");
    QVERIFY(FolderProbe::plantLink(m_root->file("outside/folder"), history()));
    const auto before = FolderProbe::snapshot(m_root->path());

    FileList filed;
    filed.setPattern(QStringLiteral("*.ms3"));
    QVERIFY(!filed.setPath(history()));
    QVERIFY(!filed.setPath(history() + "/"));
    QCOMPARE(filed.count(), 0);
    bool readFailed = true;
    QCOMPARE(Store::moveMessage(data() + "/real.ms3", history(), &readFailed).error,
             StoreResult::Error::NotRegular);
    QVERIFY(!readFailed);
    QString text;
    QVERIFY(!Store::readWholeFile(history() + "/bait.ms3", &text).ok());
    QVERIFY(!Store::deleteMessage(history() + "/bait.ms3").ok());
    QVERIFY(!Store::writeWholeText(history() + "/new.ms3", "x").ok());
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(m_root->path())),
             QStringList());
}

void tst_HostileFolder::swappedAfterListing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to private file") << "link to private file";
    QTest::newRow("dangling link") << "dangling link";
    QTest::newRow("folder") << "folder";
    QTest::newRow("fifo") << "fifo";
}

// The file is listed as a regular file, then swapped (atomically, by rename) before we open it.
void tst_HostileFolder::swappedAfterListing()
{
    QFETCH(QString, kind);
    QObject owner;
    const FileList *inbox = listing(data(), &owner);
    QCOMPARE(inbox->names(), QStringList { "real.ms3" });
    const QString listed = data() + "/" + inbox->names().constFirst();

    const QString staged = m_root->file("staged");
    QVERIFY(plant(kind, staged));
    if (kind == QLatin1String("folder"))
        QVERIFY(QFile::remove(listed)); // rename() puts a folder only where nothing is
    QVERIFY(::rename(QFile::encodeName(staged).constData(), QFile::encodeName(listed).constData())
            == 0);
    const auto before = FolderProbe::snapshot(m_root->path());

    QString text;
    QCOMPARE(Store::readWholeFile(listed, &text).error, StoreResult::Error::NotRegular);
    QCOMPARE(Store::guardedRead(listed, "fallback"), QString("fallback"));
    QCOMPARE(Store::writeWholeText(listed, "overwritten").error, StoreResult::Error::NotRegular);
    QCOMPARE(Store::moveMessage(listed, history()).error, StoreResult::Error::NotRegular);
    QCOMPARE(Store::deleteMessage(listed).error, StoreResult::Error::NotRegular);
    QCOMPARE(FolderProbe::differences(before, FolderProbe::snapshot(m_root->path())),
             QStringList());
    QCOMPARE(FolderProbe::rawRead(outside("private.txt")), Secret);
}

// Saving keeps the permissions a shared folder's files have, but a planted file's set-user-ID
// or set-group-ID bit must not pass to the file we write: the file then belongs to us, and its
// content may be what the planter sent us.
void tst_HostileFolder::replacingDropsSpecialModeBits()
{
    const QString path = data() + "/real.ms3";
    const QByteArray encoded = QFile::encodeName(path);
    QVERIFY(::chmod(encoded.constData(), 06777) == 0);
    QVERIFY(Store::writeWholeText(path, "saved by us").ok());
    struct stat info;
    QVERIFY(::stat(encoded.constData(), &info) == 0);
    QCOMPARE(info.st_mode & (S_ISUID | S_ISGID), mode_t(0));

    // Ordinary permission bits are kept.
    QVERIFY(::chmod(encoded.constData(), 0640) == 0);
    QVERIFY(Store::writeWholeText(path, "saved again").ok());
    QVERIFY(::stat(encoded.constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0640));
}

// In a folder shared through a group, the files carry that group and mode 0660. A save by one
// user must leave the file readable by the others: the new file keeps the old one's group,
// also where the folder lacks the set-group-ID bit that would hand its group down.
void tst_HostileFolder::replacingKeepsTheSharedGroup()
{
    if (::geteuid() != 0)
        QSKIP("needs root to give the file another user's owner and group");
    const QString path = data() + "/real.ms3";
    const QByteArray encoded = QFile::encodeName(path);
    const uid_t otherUser = 4321;
    const gid_t sharedGroup = 8765;
    QVERIFY(::chown(encoded.constData(), otherUser, sharedGroup) == 0);
    QVERIFY(::chmod(encoded.constData(), 0660) == 0);
    QVERIFY(Store::writeWholeText(path, "saved by another user").ok());
    struct stat info;
    QVERIFY(::stat(encoded.constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0660));
    QCOMPARE(info.st_gid, sharedGroup);
}

// A name that is not valid UTF-8 (a file copied from an old Windows machine, or planted) must
// not become a listed message that no operation can open or delete.
void tst_HostileFolder::listedNamesCanBeOpened()
{
    const QByteArray rawName("caf\xe9.ms3");
    const QByteArray rawPath = QFile::encodeName(data()) + '/' + rawName;
    const int fd = ::open(rawPath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "latin-1 name\r\n", 14), ssize_t(14));
    ::close(fd);
    // The temporary folder's own clean-up cannot remove such a name either.
    struct Remove
    {
        QByteArray path;
        ~Remove() { ::unlink(path.constData()); }
    } remove { rawPath };

    QObject owner;
    const FileList *inbox = listing(data(), &owner);
    int unopenable = 0;
    for (const QString &name : inbox->names()) {
        QString text;
        if (!Store::readWholeFile(data() + "/" + name, &text).ok())
            ++unopenable;
    }
    QCOMPARE(unopenable, 0);
    // Either way the file itself stays as it was.
    QCOMPARE(FolderProbe::entries(data()).contains(rawName), true);
}

QTEST_GUILESS_MAIN(tst_HostileFolder)
#include "tst_HostileFolder.moc"

// A second user in a shared, sticky folder: a file they may not write is not replaced by a
// rename either, and a message of ours they file away cannot be removed from the inbox, which
// must be reported (the copy in History and the original both stay).
void tst_HostileFolder::anotherUsersFilesStayTheirs()
{
    if (::geteuid() != 0)
        QSKIP("acting as a second user needs root");
    QVERIFY(QFile::setPermissions(m_root->path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther));
    const auto setMode = [](const QString &folder, mode_t mode) {
        return ::chmod(QFile::encodeName(folder).constData(), mode) == 0;
    };
    QVERIFY(setMode(data(), 0777) && setMode(history(), 01777));
    m_root->write("data/st.kfl", "no\r\n");
    const auto asNobody = [](const QStringList &arguments) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(
            "setpriv",
            QStringList { "--reuid=65534", "--regid=65534", "--clear-groups", NOTAVO_STRESS_CHILD }
                + arguments);
        return child.waitForFinished(20000) && child.exitStatus() == QProcess::NormalExit
            ? child.exitCode()
            : -1;
    };
    QCOMPARE(asNobody({ "save", data() + "/st.kfl", "yes" }), int(StoreResult::Error::IoError));
    QCOMPARE(m_root->read("data/st.kfl"), QByteArray("no\r\n"));

    QVERIFY(setMode(data(), 01777));
    QCOMPARE(asNobody({ "move", data() + "/real.ms3", history() }),
             int(StoreResult::Error::NotRemoved));
    QCOMPARE(m_root->read("data/real.ms3"), QByteArray("a real message\r\n"));
    QCOMPARE(m_root->read("data/History/real.ms3"), QByteArray("a real message\r\n\r\n"));
    // real.ms3, st.kfl and History: no claim folder left behind.
    QCOMPARE(FolderProbe::entries(data()).size(), 3);
}
