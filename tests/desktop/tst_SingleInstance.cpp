#include "desktop/SingleInstance.h"
#include "support/TempFolder.h"

#include <QSignalSpy>
#include <QTest>

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void oneCopyPerFolderAndSession();
};

void tst_SingleInstance::oneCopyPerFolderAndSession()
{
    TempFolder dir;
    dir.makeFolder("runtime");
    QFile::setPermissions(dir.file("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.file("runtime")));
    qputenv("DISPLAY", ":7");
    qunsetenv("WAYLAND_DISPLAY");
    dir.makeFolder("office");
    dir.makeFolder("branch");
    QVERIFY(QFile::link(dir.file("office"), dir.file("office link")));

    // A socket file left by a copy that crashed does not count as a running copy.
    SingleInstance first(dir.file("office"));
    QVERIFY(first.socketPath().startsWith(dir.file("runtime/")));
    dir.write(first.socketPath().mid(dir.file("").size()), "left over");
    QVERIFY(first.claim());
    QSignalSpy forward(&first, &SingleInstance::forwardRequested);

    // The same folder, also reached through a link: the running copy is asked to come forward.
    SingleInstance second(dir.file("office link"));
    QCOMPARE(second.socketPath(), first.socketPath());
    QVERIFY(!second.claim());
    QTRY_COMPARE(forward.count(), 1);

    // Another data folder, or another desktop session, runs a copy of its own.
    QVERIFY(SingleInstance(dir.file("branch")).claim());
    qputenv("DISPLAY", ":8.0");
    QVERIFY(SingleInstance(dir.file("office")).claim());
    QCOMPARE(forward.count(), 1);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
