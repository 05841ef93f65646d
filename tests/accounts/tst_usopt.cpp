#include "accounts/usopt.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "support/FakeWindows.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"
#include "widgets/PictureButton.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QStringList AllBoxes
    = { "df",  "du",  "dp",  "u1f", "u1u", "u1p", "u2f", "u2u", "u2p", "u3f", "u3u",
        "u3p", "u4f", "u4u", "u4p", "u5f", "u5u", "u5p", "u6f", "u6u", "u6p" };

// One data folder, the fakes and the shared state; the account window alone.
struct Fixture
{
    Fixture()
        : state(dir.path(), platform.platform())
    {
        state.setWindows(&windows);
    }

    // A fresh window each time, as the registry builds one for every opening.
    usopt &open()
    {
        opened.push_back(std::make_unique<usopt>(state));
        opened.back()->show();
        return *opened.back();
    }

    TestPlatform platform;
    TempFolder dir;
    AppState state;
    FakeWindows windows;
    std::vector<std::unique_ptr<usopt>> opened;
};

// The account window as the registry opens it: found again while open, built afresh after.
struct RegistryRig
{
    RegistryRig()
        : state(dir.path(), platform.platform())
        , windows(state)
    { }

    usopt &open()
    {
        windows.showUserOptions();
        return *windows.userOptionsIfLoaded();
    }

    TestPlatform platform;
    TempFolder dir;
    AppState state;
    WindowRegistry windows;
};

QLineEdit *boxOf(usopt &window, const QString &name)
{
    return window.findChild<QLineEdit *>(name);
}

// Chooses an entry the way the list reports it: a selection change, handled once the event
// that made it is over.
void choose(usopt &window, const QString &entry)
{
    const QList<QListWidgetItem *> items = window.us->findItems(entry, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    window.us->setCurrentItem(items.first());
    QCoreApplication::processEvents();
}

QStringList visibleBoxes(usopt &window)
{
    QStringList names;
    for (const QString &name : AllBoxes)
        if (boxOf(window, name)->isVisible())
            names << name;
    return names;
}

QStringList filesIn(const TempFolder &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class tst_usopt : public QObject
{
    Q_OBJECT

private slots:
    void freshWindowShowsNoBox();
    void defaultAsksNothingAndShowsStoredValues();
    void slotWithoutPasswordCreatesAccount_data();
    void slotWithoutPasswordCreatesAccount();
    void passwordCheck_data();
    void passwordCheck();
    void okSavesHiddenEditsOfEarlierChoice();
    void choosingAgainReloadsStoredValues();
    void emptiedBoxKeepsFileAndCommaNameIsCut();
    void okWithNothingChosenWritesNothing();
    void cancelWritesNothingAndReopeningStartsAfresh();
    void reopeningWhileOpenKeepsBoxes();
    void unencodableCharacterIsReportedOthersSaved();
    void missingFolderIsReportedAndOkKeepsWindow();
};

void tst_usopt::freshWindowShowsNoBox()
{
    Fixture f;
    usopt &window = f.open();
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.size(), QSize(330, 130));
    QCOMPARE(window.us->count(), 7);
    QCOMPARE(window.us->item(0)->text(), QString("Default"));
    QCOMPARE(window.us->item(6)->text(), QString("User 6"));
    QVERIFY(window.us->selectedItems().isEmpty());
    for (const QString &name : AllBoxes) {
        QLineEdit *box = boxOf(window, name);
        QVERIFY2(box, qPrintable(name));
        QVERIFY2(!box->isVisible() && !box->isEnabled() && box->text().isEmpty(), qPrintable(name));
        QCOMPARE(box->echoMode(), QLineEdit::Normal);
    }
    QCOMPARE(window.Label1->text(), QString("Full Name:"));
    QCOMPARE(window.Label3->text(), QString("Username:"));
    QCOMPARE(window.Label2->text(), QString("Password:"));
    for (PictureButton *button : { window.sav, window.canc, window.ok }) {
        QVERIFY(button->isVisible());
        QVERIFY(!button->twin()->isVisible());
    }
    QCOMPARE(window.savp->objectName(), QString("savp"));

    // Within a slot the keyboard goes full name, password, user name.
    QCOMPARE(window.u3f->nextInFocusChain(), window.u3p);
    QCOMPARE(window.u3p->nextInFocusChain(), window.u3u);
    QVERIFY(f.platform.dialogs.calls().isEmpty());
}

void tst_usopt::defaultAsksNothingAndShowsStoredValues()
{
    Fixture f;
    f.dir.write("du.kfl", "desk\r\n");
    f.dir.write("df.kfl", "Front Desk\r\n");
    usopt &window = f.open();
    choose(window, "Default");
    QVERIFY(f.platform.dialogs.calls().isEmpty());
    QCOMPARE(visibleBoxes(window), QStringList({ "df", "du", "dp" }));
    QCOMPARE(window.du->text(), QString("desk"));
    QCOMPARE(window.df->text(), QString("Front Desk"));
    QVERIFY(window.df->isEnabled() && window.du->isEnabled());
    QVERIFY(!window.dp->isEnabled());
    QCOMPARE(window.dp->focusPolicy(), Qt::NoFocus);

    window.du->setText("reception");
    window.df->clear();
    window.sav->releaseUp();
    QCOMPARE(f.dir.read("du.kfl"), QByteArray("reception\r\n"));
    QCOMPARE(f.dir.read("df.kfl"), QByteArray("Front Desk\r\n"));
    QCOMPARE(filesIn(f.dir), QStringList({ "df.kfl", "du.kfl" }));
    QVERIFY(!f.windows.unloaded(&window));
}

void tst_usopt::slotWithoutPasswordCreatesAccount_data()
{
    QTest::addColumn<bool>("emptyFile");
    QTest::newRow("missing") << false;
    QTest::newRow("empty") << true;
}

void tst_usopt::slotWithoutPasswordCreatesAccount()
{
    QFETCH(bool, emptyFile);
    Fixture f;
    if (emptyFile)
        f.dir.write("pp2.kfl", "");
    usopt &window = f.open();
    choose(window, "User 3");
    QVERIFY(f.platform.dialogs.calls().isEmpty());
    QCOMPARE(visibleBoxes(window), QStringList({ "u3f", "u3u", "u3p" }));
    for (QLineEdit *box : { window.u3f, window.u3u, window.u3p }) {
        QVERIFY(box->isEnabled());
        QVERIFY(box->text().isEmpty());
    }

    QTest::keyClicks(window.u3p, "0815");
    QTest::keyClicks(window.u3u, "bob");
    window.u3f->setText(QString("Bob Brown ") + QChar(0xe9));
    window.sav->pressDown();
    QVERIFY(window.savp->isVisible());
    window.sav->releaseUp();
    QVERIFY(!window.savp->isVisible());

    QCOMPARE(f.dir.read("pp2.kfl"), QByteArray("0815\r\n"));
    QCOMPARE(f.dir.read("pp2u.kfl"), QByteArray("bob\r\n"));
    QCOMPARE(f.dir.read("pp2f.kfl"), QByteArray("Bob Brown \xe9\r\n"));
    QCOMPARE(filesIn(f.dir), QStringList({ "pp2.kfl", "pp2f.kfl", "pp2u.kfl" }));
    QVERIFY(window.isVisible());
}

void tst_usopt::passwordCheck_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("User 1 right") << "User 1"
                                  << "msg"
                                  << "Secret" << true;
    QTest::newRow("User 2 right") << "User 2"
                                  << "pp"
                                  << "Secret" << true;
    QTest::newRow("other case") << "User 2"
                                << "pp"
                                << "secret" << false;
    QTest::newRow("added space") << "User 6"
                                 << "i6"
                                 << "Secret " << false;
    QTest::newRow("cancelled") << "User 4"
                               << "44"
                               << "" << false;
}

void tst_usopt::passwordCheck()
{
    QFETCH(QString, entry);
    QFETCH(QString, file);
    QFETCH(QString, answer);
    QFETCH(bool, accepted);
    Fixture f;
    f.dir.write(file + ".kfl", "Secret\r\n");
    f.dir.write(file + "u.kfl", "sam\r\n");
    f.dir.write(file + "f.kfl", "Sam Stone\r\n");
    f.platform.dialogs.queueInput(answer);
    usopt &window = f.open();
    choose(window, entry);

    const QString stem = "u" + entry.right(1);
    QLineEdit *fullName = boxOf(window, stem + "f");
    QLineEdit *userName = boxOf(window, stem + "u");
    QLineEdit *password = boxOf(window, stem + "p");
    const QList<FakeDialogs::Call> &calls = f.platform.dialogs.calls();
    QCOMPARE(calls.first().kind, FakeDialogs::Call::Kind::Input);
    QCOMPARE(calls.first().title, QString("Password Needed"));
    QCOMPARE(calls.first().text,
             entry == "User 1" ? QString("Please enter password.")
                               : QString("Please enter numeric password."));
    if (accepted) {
        QCOMPARE(calls.size(), 1);
        QCOMPARE(visibleBoxes(window),
                 QStringList(
                     { fullName->objectName(), userName->objectName(), password->objectName() }));
        QCOMPARE(password->text(), QString("Secret"));
        QCOMPARE(userName->text(), QString("sam"));
        QCOMPARE(fullName->text(), QString("Sam Stone"));
    } else {
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(1).text, QString("The given password was not correct"));
        QCOMPARE(calls.at(1).title, QString("Invalid Password"));
        QCOMPARE(calls.at(1).icon, Dialogs::Icon::Exclamation);
        QVERIFY(visibleBoxes(window).isEmpty());
        QVERIFY(password->text().isEmpty() && userName->text().isEmpty());
        // Nothing loaded, so a save cannot write anything either.
        window.sav->releaseUp();
        QCOMPARE(f.dir.read(file + "u.kfl"), QByteArray("sam\r\n"));
        QCOMPARE(f.dir.read(file + ".kfl"), QByteArray("Secret\r\n"));

        // Clicking the same entry again asks again.
        f.platform.dialogs.queueInput("Secret");
        QListWidgetItem *item = window.us->findItems(entry, Qt::MatchExactly).first();
        QTest::mouseClick(window.us->viewport(), Qt::LeftButton, {},
                          window.us->visualItemRect(item).center());
        QCoreApplication::processEvents();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.at(2).title, QString("Password Needed"));
        QCOMPARE(visibleBoxes(window).size(), 3);
    }
}

void tst_usopt::okSavesHiddenEditsOfEarlierChoice()
{
    Fixture f;
    f.dir.write("msgu.kfl", "amy\r\n");
    f.dir.write("ppu.kfl", "ben\r\n");
    usopt &window = f.open();
    choose(window, "User 1");
    window.u1u->setText("amelia");
    choose(window, "User 2");
    QVERIFY(!window.u1u->isVisible());
    QCOMPARE(visibleBoxes(window), QStringList({ "u2f", "u2u", "u2p" }));
    window.ok->pressDown();
    window.ok->releaseUp();
    QCOMPARE(f.dir.read("msgu.kfl"), QByteArray("amelia\r\n"));
    QCOMPARE(f.dir.read("ppu.kfl"), QByteArray("ben\r\n"));
    QCOMPARE(filesIn(f.dir), QStringList({ "msgu.kfl", "ppu.kfl" }));
    QVERIFY(f.windows.unloaded(&window));
    QVERIFY(!window.isVisible());
}

void tst_usopt::choosingAgainReloadsStoredValues()
{
    Fixture f;
    f.dir.write("msg.kfl", "pw\r\n");
    f.dir.write("msgu.kfl", "amy\r\n");
    f.platform.dialogs.queueInput("pw");
    f.platform.dialogs.queueInput("pw");
    usopt &window = f.open();
    choose(window, "User 1");
    window.u1u->setText("amelia");
    choose(window, "Default");
    choose(window, "User 1");
    QCOMPARE(window.u1u->text(), QString("amy"));
    QCOMPARE(f.platform.dialogs.calls().size(), 2); // the password is asked every time
}

void tst_usopt::emptiedBoxKeepsFileAndCommaNameIsCut()
{
    Fixture f;
    f.dir.write("r5u.kfl", "eve\r\n");
    f.dir.write("r5f.kfl", "Smith, Ann\r\n");
    usopt &window = f.open();
    choose(window, "User 5");
    QCOMPARE(window.u5f->text(), QString("Smith"));
    window.u5u->clear();
    window.sav->releaseUp();
    QCOMPARE(f.dir.read("r5u.kfl"), QByteArray("eve\r\n"));
    QCOMPARE(f.dir.read("r5f.kfl"), QByteArray("Smith\r\n"));
    QVERIFY(!f.dir.exists("r5.kfl"));
}

void tst_usopt::okWithNothingChosenWritesNothing()
{
    Fixture f;
    usopt &window = f.open();
    window.ok->releaseUp();
    QVERIFY(filesIn(f.dir).isEmpty());
    QVERIFY(f.windows.unloaded(&window));
    QVERIFY(f.platform.dialogs.calls().isEmpty());
}

void tst_usopt::cancelWritesNothingAndReopeningStartsAfresh()
{
    RegistryRig f;
    usopt &window = f.open();
    choose(window, "User 3");
    window.u3u->setText("carl");
    window.canc->pressDown();
    window.canc->releaseUp();
    QVERIFY(filesIn(f.dir).isEmpty());
    QVERIFY(!f.windows.userOptionsIfLoaded());

    usopt &again = f.open();
    QVERIFY(again.u3u->text().isEmpty());
    QVERIFY(again.us->selectedItems().isEmpty());
    QVERIFY(visibleBoxes(again).isEmpty());
}

void tst_usopt::reopeningWhileOpenKeepsBoxes()
{
    RegistryRig f;
    usopt &window = f.open();
    choose(window, "User 4");
    window.u4f->setText("Dora");
    QCOMPARE(&f.open(), &window);
    QCOMPARE(window.u4f->text(), QString("Dora"));
    QVERIFY(window.u4f->isVisible());
}

void tst_usopt::unencodableCharacterIsReportedOthersSaved()
{
    Fixture f;
    f.dir.write("44f.kfl", "Dora\r\n");
    usopt &window = f.open();
    choose(window, "User 4");
    window.u4p->setText("1");
    window.u4u->setText("dora");
    // A character outside the Basic Multilingual Plane: two UTF-16 units, one character.
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    window.u4f->setText("Dora " + emoji);
    window.ok->releaseUp();

    QCOMPARE(f.platform.dialogs.calls().size(), 1);
    const FakeDialogs::Call &call = f.platform.dialogs.calls().first();
    QCOMPARE(call.icon, Dialogs::Icon::Exclamation);
    QVERIFY2(call.text.contains("44f.kfl"), qPrintable(call.text));
    QVERIFY2(call.text.contains("\"" + emoji + "\" (U+1f600)"), qPrintable(call.text));
    QVERIFY(!call.text.contains("44u.kfl"));
    QCOMPARE(f.dir.read("44f.kfl"), QByteArray("Dora\r\n"));
    QCOMPARE(f.dir.read("44.kfl"), QByteArray("1\r\n"));
    QCOMPARE(f.dir.read("44u.kfl"), QByteArray("dora\r\n"));
    // The window stays open with the text, so nothing typed is lost.
    QVERIFY(!f.windows.unloaded(&window));
    QVERIFY(window.isVisible());
    QCOMPARE(window.u4f->text(), "Dora " + emoji);
}

void tst_usopt::missingFolderIsReportedAndOkKeepsWindow()
{
    TestPlatform platform;
    TempFolder dir;
    dir.makeFolder("office");
    AppState state(dir.file("office"), platform.platform());
    FakeWindows windows;
    state.setWindows(&windows);
    usopt window(state);
    window.show();
    choose(window, "User 6");
    window.u6u->setText("finn");
    window.u6f->setText("Finn");
    QVERIFY(QDir(dir.file("office")).removeRecursively());

    window.sav->releaseUp();
    QCOMPARE(platform.dialogs.calls().size(), 1);
    QString text = platform.dialogs.calls().first().text;
    QVERIFY2(text.contains("i6u.kfl") && text.contains("i6f.kfl"), qPrintable(text));
    QVERIFY(!text.contains("i6.kfl")); // the empty password box was never written

    window.ok->releaseUp();
    QCOMPARE(platform.dialogs.calls().size(), 2);
    QVERIFY(!windows.unloaded(&window));
    QVERIFY(window.isVisible());

    // Once the folder is back, OK saves and closes.
    dir.makeFolder("office");
    window.ok->releaseUp();
    QCOMPARE(platform.dialogs.calls().size(), 2);
    QVERIFY(windows.unloaded(&window));
    QCOMPARE(dir.read("office/i6u.kfl"), QByteArray("finn\r\n"));
}

QTEST_MAIN(tst_usopt)
#include "tst_usopt.moc"
