#include "accounts/Form5.h"
#include "app/AppRig.h"
#include "app/Form3.h"
#include "core/AppState.h"
#include "fs/FileList.h"
#include "messages/Form4.h"
#include "support/FakeWindows.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"
#include "widgets/FileListBox.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// One data folder, the fakes and the shared state; the login alone, the other windows faked.
struct Fixture
{
    Fixture()
        : state(dir.path(), platform.platform())
    {
        state.setWindows(&windows);
        QObject::connect(&state, &AppState::userNameShown,
                         [this](const QString &name) { shownNames.append(name); });
    }

    // A fresh login window each time, as the registry builds one for every opening.
    Form5 &openLogin()
    {
        logins.push_back(std::make_unique<Form5>(state));
        logins.back()->show();
        return *logins.back();
    }

    TestPlatform platform;
    TempFolder dir;
    AppState state;
    FakeWindows windows;
    QStringList shownNames;
    std::vector<std::unique_ptr<Form5>> logins;
};

// The login with the real windows, for what it changes in the main window and the browser.
struct QuietRig : AppRig
{
    QuietRig()
    {
        for (QTimer *timer : { main.Timer1, main.Timer2, main.Timer3, main.Timer4 })
            timer->stop();
    }

    Form5 &openLogin()
    {
        Form5 &login = windows.form5();
        login.show();
        return login;
    }
};

void choose(Form5 &login, const QString &entry)
{
    const int index = login.uss->findText(entry);
    QVERIFY(index >= 0);
    login.uss->setCurrentIndex(index);
    emit login.uss->activated(index);
}

// Puts the window in front and gives it the keyboard, as a user's click would.
void activate(QWidget &window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

class tst_Form5 : public QObject
{
    Q_OBJECT

private slots:
    void opensWithNothingChosen();
    void defaultLogsInAtOnce();
    void missingAccountOffersCreation_data();
    void missingAccountOffersCreation();
    void existingAccountAsksNothing();
    void rightPasswordSendsFocusToUserName();
    void rightUserNameSendsFocusToPassword();
    void matchesExactlyAndRereadsEveryKeystroke();
    void userNameWithCommaMatchesFirstField();
    void missingPasswordFileMeansEmptyPassword();
    void newChoiceClearsFieldsAndDisablesLogIn();
    void textSetWithoutKeysCounts();
    void logIntoUser3_data();
    void logIntoUser3();
    void loggingInRepointsLoadedBrowserOnly();
    void newAndCancelUnload();
};

void tst_Form5::opensWithNothingChosen()
{
    Fixture f;
    Form5 &login = f.openLogin();
    QCOMPARE(login.uss->count(), 7);
    QStringList entries;
    for (int i = 0; i < login.uss->count(); ++i)
        entries << login.uss->itemText(i);
    QCOMPARE(
        entries,
        QStringList({ "Default", "User 1", "User 2", "User 3", "User 4", "User 5", "User 6" }));
    QCOMPARE(login.uss->currentIndex(), -1);
    QVERIFY(!login.uss->isEditable());
    QVERIFY(login.user->isVisible());
    QVERIFY(login.pas->isVisible());
    QCOMPARE(login.pas->echoMode(), QLineEdit::Normal);
    QVERIFY(!login.log->isEnabled());
    QCOMPARE(login.findChild<QPushButton *>("new"), login.new_);

    // Typing with nothing chosen does nothing.
    QTest::keyClicks(login.user, "x");
    QVERIFY(!login.log->isEnabled());
    QVERIFY(f.platform.dialogs.calls().isEmpty());
}

void tst_Form5::defaultLogsInAtOnce()
{
    Fixture f;
    f.dir.write("df.kfl", "Front Desk\r\n");
    Form5 &login = f.openLogin();
    choose(login, "Default");
    QVERIFY(!login.user->isVisible());
    QVERIFY(!login.pas->isVisible());
    QVERIFY(login.log->isEnabled());
    QVERIFY(f.platform.dialogs.calls().isEmpty());

    f.state.setSlotCode("5");
    login.log->click();
    QCOMPARE(f.state.slotCode(), QString("d"));
    QCOMPARE(f.shownNames, QStringList { "Front Desk" });
    QCOMPARE(f.dir.read("us.kfl"), QByteArray("d\r\n"));
    QCOMPARE(f.state.inboxList().pattern(), QString("*.msg"));
    QVERIFY(f.windows.unloaded(&login));
}

void tst_Form5::missingAccountOffersCreation_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void tst_Form5::missingAccountOffersCreation()
{
    QFETCH(bool, yes);
    Fixture f;
    f.platform.dialogs.queueAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    Form5 &login = f.openLogin();
    login.user->setText("left over");
    choose(login, "User 4");

    QCOMPARE(f.platform.dialogs.calls().size(), 1);
    const FakeDialogs::Call &call = f.platform.dialogs.calls().first();
    QCOMPARE(call.text, QString("Account has not been created. Would you like to create it now?"));
    QCOMPARE(call.title, QString("Create Account?"));
    QCOMPARE(call.icon, Dialogs::Icon::Question);
    QCOMPARE(call.buttons, Dialogs::Buttons::YesNo);

    QVERIFY(login.user->text().isEmpty());
    QVERIFY(!login.log->isEnabled());
    QCOMPARE(login.user->isVisible(), !yes);
    QCOMPARE(login.pas->isVisible(), !yes);
    QCOMPARE(f.windows.calls.contains("showUserOptions"), yes);
    QVERIFY(!f.windows.unloaded(&login));
}

void tst_Form5::existingAccountAsksNothing()
{
    Fixture f;
    f.dir.write("44u.kfl", "dana\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 4");
    QVERIFY(f.platform.dialogs.calls().isEmpty());
    QVERIFY(login.user->isVisible());
    QVERIFY(login.pas->isVisible());
}

void tst_Form5::rightPasswordSendsFocusToUserName()
{
    Fixture f;
    f.dir.write("pp2u.kfl", "ann\r\n");
    f.dir.write("pp2.kfl", "4711\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 3");
    activate(login);

    login.pas->setFocus();
    QTest::keyClicks(login.pas, "471");
    QCOMPARE(QApplication::focusWidget(), login.pas);
    QTest::keyClicks(login.pas, "1");
    QCOMPARE(QApplication::focusWidget(), login.user);
    QVERIFY(!login.log->isEnabled());

    QTest::keyClicks(login.user, "an");
    QVERIFY(!login.log->isEnabled());
    QTest::keyClicks(login.user, "n");
    QVERIFY(login.log->isEnabled());
    QTest::keyClick(login.user, Qt::Key_Backspace);
    QVERIFY(!login.log->isEnabled());
}

void tst_Form5::rightUserNameSendsFocusToPassword()
{
    Fixture f;
    f.dir.write("pp2u.kfl", "ann\r\n");
    f.dir.write("pp2.kfl", "4711\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 3");
    activate(login);

    login.user->setFocus();
    QTest::keyClicks(login.user, "ann");
    QCOMPARE(QApplication::focusWidget(), login.pas);
    QVERIFY(!login.log->isEnabled());
    QTest::keyClicks(login.pas, "4711");
    QVERIFY(login.log->isEnabled());
}

void tst_Form5::matchesExactlyAndRereadsEveryKeystroke()
{
    Fixture f;
    f.dir.write("msgu.kfl", "Ann\r\n");
    f.dir.write("msg.kfl", "pw\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 1");
    QTest::keyClicks(login.pas, "pw");
    QTest::keyClicks(login.user, "ann");
    QVERIFY(!login.log->isEnabled()); // case counts

    // The account window changed the user name meanwhile: the next keystroke sees it.
    f.dir.write("msgu.kfl", "anne\r\n");
    QTest::keyClicks(login.user, "e");
    QVERIFY(login.log->isEnabled());
    f.dir.write("msg.kfl", "new\r\n");
    QTest::keyClicks(login.user, " ");
    QTest::keyClick(login.user, Qt::Key_Backspace);
    QVERIFY(!login.log->isEnabled());
}

void tst_Form5::userNameWithCommaMatchesFirstField()
{
    Fixture f;
    f.dir.write("ppu.kfl", "Smith, Ann\r\n");
    f.dir.write("pp.kfl", "12\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 2");
    QTest::keyClicks(login.pas, "12");
    QTest::keyClicks(login.user, "Smith, Ann");
    QVERIFY(!login.log->isEnabled());
    login.user->clear();
    QTest::keyClicks(login.user, "Smith");
    QVERIFY(login.log->isEnabled());
}

void tst_Form5::missingPasswordFileMeansEmptyPassword()
{
    Fixture f;
    f.dir.write("r5u.kfl", "eve\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 5");
    QTest::keyClicks(login.user, "eve");
    QVERIFY(login.log->isEnabled());
}

void tst_Form5::newChoiceClearsFieldsAndDisablesLogIn()
{
    Fixture f;
    f.dir.write("pp2u.kfl", "ann\r\n");
    f.dir.write("pp2.kfl", "1\r\n");
    // An account whose files hold empty values: clearing the fields is no match by itself.
    f.dir.write("44u.kfl", "");
    f.dir.write("44.kfl", "");
    Form5 &login = f.openLogin();
    choose(login, "User 3");
    QTest::keyClicks(login.user, "ann");
    QTest::keyClicks(login.pas, "1");
    QVERIFY(login.log->isEnabled());

    // The clearing runs the checks too (both fields then match the empty values); the choice
    // still ends with "Log In" disabled.
    choose(login, "User 4");
    QVERIFY(login.user->text().isEmpty());
    QVERIFY(login.pas->text().isEmpty());
    QVERIFY(!login.log->isEnabled());
    QVERIFY(f.platform.dialogs.calls().isEmpty());
}

void tst_Form5::textSetWithoutKeysCounts()
{
    Fixture f;
    f.dir.write("pp2u.kfl", "ann\r\n");
    f.dir.write("pp2.kfl", "4711\r\n");
    Form5 &login = f.openLogin();
    choose(login, "User 3");
    // As a screen reader's editable-text interface, or a paste without keys, sets them.
    for (const auto &[box, text] :
         { std::pair { login.user, "ann" }, std::pair { login.pas, "4711" } })
        QAccessible::queryAccessibleInterface(box)->editableTextInterface()->insertText(0, text);
    QVERIFY(login.log->isEnabled());
    login.pas->setText("471");
    QVERIFY(!login.log->isEnabled());
}

void tst_Form5::logIntoUser3_data()
{
    QTest::addColumn<QByteArray>("fullNameFile");
    QTest::addColumn<bool>("planted");
    QTest::addColumn<QString>("shown");
    // Polling: the timers run; the counts are then rewritten at once, however "us.kfl" fared.
    QTest::addColumn<bool>("polling");
    QTest::addColumn<bool>("lastLoginWritable");
    QTest::newRow("full name") << QByteArray("Ann Smith\r\n") << true << "Ann Smith" << false
                               << true;
    QTest::newRow("comma") << QByteArray("Smith, Ann\r\n") << true << "Smith" << false << true;
    QTest::newRow("missing") << QByteArray() << false << "Name Unknown." << false << true;
    QTest::newRow("empty value") << QByteArray("\r\n") << true << "Name Unknown." << false << true;
    QTest::newRow("zero bytes") << QByteArray() << true << "Name Unknown." << false << true;
    QTest::newRow("markup") << QByteArray("<b>Ann</b>\r\n") << true << "<b>Ann</b>" << false
                            << true;
    QTest::newRow("polling") << QByteArray("Ann Smith\r\n") << true << "Ann Smith" << true << true;
    QTest::newRow("polling, us.kfl not written")
        << QByteArray("Ann Smith\r\n") << true << "Ann Smith" << true << false;
}

void tst_Form5::logIntoUser3()
{
    QFETCH(QByteArray, fullNameFile);
    QFETCH(bool, planted);
    QFETCH(QString, shown);
    QFETCH(bool, polling);
    QFETCH(bool, lastLoginWritable);
    QuietRig f;
    if (!lastLoginWritable)
        f.dir.makeFolder("us.kfl");
    f.dir.write("pp2u.kfl", "ann\r\n");
    f.dir.write("pp2.kfl", "4711\r\n");
    if (planted)
        f.dir.write("pp2f.kfl", fullNameFile);
    f.dir.write("a.ms3", "x\r\n");
    f.dir.makeFolder("History");
    f.dir.write("History/b.ms3", "y\r\n");
    f.dir.write("History/c.ms3", "z\r\n");
    f.windows.form3().File1->setPath(f.dir.path());
    f.windows.form3().File2->setPath(f.state.historyFolder());
    f.main.inb->setText("No New Messages.");
    f.main.his->setText("No Messages in History.");
    // Screen readers were told the name before.
    f.main.showUserName("Default User");

    if (polling) {
        f.main.Timer1->start();
        f.main.Timer3->start();
    }

    Form5 &login = f.openLogin();
    choose(login, "User 3");
    QTest::keyClicks(login.user, "ann");
    QTest::keyClicks(login.pas, "4711");
    QVERIFY(login.log->isEnabled());
    login.log->click();

    QCOMPARE(f.state.slotCode(), QString("3"));
    QCOMPARE(f.main.nam->text(), shown);
    QCOMPARE(f.main.nam->textFormat(), Qt::PlainText);
    QCOMPARE(QAccessible::queryAccessibleInterface(f.main.nam)->text(QAccessible::Name), shown);
    QCOMPARE(f.windows.form3().File1->pattern(), QString("*.ms3"));
    QCOMPARE(f.windows.form3().File2->pattern(), QString("*.ms3"));
    QCOMPARE(f.windows.form3().File1->count(), 1);
    QCOMPARE(f.windows.form3().File2->count(), 2);
    if (lastLoginWritable)
        QCOMPARE(f.dir.read("us.kfl"), QByteArray("3\r\n"));
    QCOMPARE(f.main.inb->text(), polling ? QString("1 New Message.") : QString());
    QCOMPARE(f.main.his->text(), polling ? QString("2 Messages in History.") : QString());
    QVERIFY(!f.windows.form5IfLoaded());
    QVERIFY(!login.isVisible());
}

void tst_Form5::loggingInRepointsLoadedBrowserOnly()
{
    QuietRig f;
    f.dir.write("i6u.kfl", "zed\r\n");
    {
        Form5 &login = f.openLogin();
        choose(login, "Default");
        login.log->click();
    }
    QVERIFY(!f.windows.form4IfLoaded());

    Form4 &browser = f.windows.form4();
    Form5 &login = f.openLogin();
    choose(login, "User 6");
    QTest::keyClicks(login.user, "zed");
    login.log->click();
    QCOMPARE(f.state.slotCode(), QString("6"));
    QCOMPARE(browser.File1->pattern(), QString("*.ms6"));
}

void tst_Form5::newAndCancelUnload()
{
    Fixture f;
    Form5 &first = f.openLogin();
    first.new_->click();
    QVERIFY(f.windows.unloaded(&first));
    QCOMPARE(f.windows.calls, QStringList({ "showUserOptions", "unload Form5" }));

    Form5 &second = f.openLogin();
    choose(second, "Default");
    second.cance->click();
    QVERIFY(f.windows.unloaded(&second));
    QCOMPARE(f.state.slotCode(), QString("d"));
    QVERIFY(!f.dir.exists("us.kfl"));

    // Closing the window is a Cancel too; the next opening starts afresh.
    Form5 &third = f.openLogin();
    choose(third, "Default");
    third.close();
    QVERIFY(f.windows.unloaded(&third));
    QCOMPARE(f.openLogin().uss->currentIndex(), -1);
}

QTEST_MAIN(tst_Form5)
#include "tst_Form5.moc"
