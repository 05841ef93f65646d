#include "MessagesFixture.h"
#include "fs/SafeFile.h"
#include "messages/MessageTextEdit.h"
#include "messages/newmes.h"

#include <QComboBox>
#include <QLineEdit>

#include <cerrno>

namespace {

const QByteArray Header = "10:15  08/12/2026 \r\n \r\n \r\nPriority: Urgent \r\n \r\n";

// Opens the compose window as the menu does and fills every field.
newmes &composeFilled(MessagesFixture &f, const QString &to, const QString &body)
{
    newmes &window = f.windows.compose();
    window.clearFields();
    window.show();
    window.t->setEditText(to);
    window.pri->setEditText(QStringLiteral("Urgent"));
    window.fro->setText(QStringLiteral("Bob"));
    window.dat->setText(QStringLiteral("08/12/2026"));
    window.tim->setText(QStringLiteral("10:15"));
    window.Text3->setMessageText(body);
    return window;
}

} // namespace

class tst_newmes : public QObject
{
    Q_OBJECT

private slots:
    void composedFileBytes_data();
    void composedFileBytes();
    void typedLineBreaksAreCrLf();
    void everyFieldIsRequired_data();
    void everyFieldIsRequired();
    void emptyOrCancelledNameWritesNothing();
    void sendClosesAndRefreshesBrowserWhenAutoRetrieveIsOn();
    void refusedNamesSayInvalidAndClose_data();
    void refusedNamesSayInvalidAndClose();
    void otherWriteFailuresKeepTheWindow_data();
    void otherWriteFailuresKeepTheWindow();
    void existingMessageIsReplaced();
    void clockTimerFillsTimeAndDate();
    void cancelClosesWithoutWriting();
};

void tst_newmes::composedFileBytes_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<QByteArray>("fullNameFile"); // "name=content", or empty for none
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("toLine");

    QTest::newRow("default user") << "Default"
                                  << "Urgent" << QByteArray() << "lunch.msg"
                                  << QByteArray("To:  \r\n");
    QTest::newRow("free text is the default user")
        << "Alice"
        << "Urgent" << QByteArray("df.kfl=Nobody\r\n") << "lunch.msg" << QByteArray("To:  \r\n");
    QTest::newRow("User 3 with full name") << "User 3"
                                           << "Urgent" << QByteArray("pp2f.kfl=Ann Smith\r\n")
                                           << "lunch.ms3" << QByteArray("To: Ann Smith \r\n");
    QTest::newRow("User 3 without full-name file")
        << "User 3"
        << "Urgent" << QByteArray() << "lunch.ms3" << QByteArray("To: User 3 \r\n");
    QTest::newRow("User 1 reads msgf.kfl") << "User 1"
                                           << "Urgent" << QByteArray("msgf.kfl=Smith, Ann\r\n")
                                           << "lunch.ms1" << QByteArray("To: Smith \r\n");
    // What is typed stays as typed: no completion from the lists, whatever the case.
    QTest::newRow("lower case is the default user")
        << "user 2"
        << "asap" << QByteArray("ppf.kfl=Ann\r\n") << "lunch.msg" << QByteArray("To:  \r\n");
}

void tst_newmes::composedFileBytes()
{
    QFETCH(QString, to);
    QFETCH(QString, priority);
    QFETCH(QByteArray, fullNameFile);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, toLine);

    MessagesFixture f;
    if (!fullNameFile.isEmpty()) {
        const qsizetype eq = fullNameFile.indexOf('=');
        f.dir.write(QString::fromLatin1(fullNameFile.left(eq)), fullNameFile.mid(eq + 1));
    }
    newmes &window = composeFilled(f, QString(), QStringLiteral("Hello"));
    // Typed key by key, each box left with Return as a user leaves it.
    window.pri->setEditText(QString());
    for (const auto &[box, text] :
         { std::pair { window.t, to }, std::pair { window.pri, priority } }) {
        QTest::keyClicks(box->lineEdit(), text);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->currentText(), text);
    }
    f.dialogs().queueInput(QStringLiteral("lunch"));
    click(window.ok);

    QCOMPARE(f.dir.read(fileName),
             QByteArray(Header).replace("Urgent", priority.toLatin1()) + toLine
                 + "From: Bob \r\n \r\nHello\r\n");
    QCOMPARE(f.windows.composeIfLoaded(), nullptr);
    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Please type message name"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Message Name"));
}

void tst_newmes::typedLineBreaksAreCrLf()
{
    MessagesFixture f;
    newmes &window = composeFilled(f, QStringLiteral("User 2"), QString());
    window.Text3->setFocus();
    QTest::keyClicks(window.Text3, QStringLiteral("one"));
    QTest::keyClick(window.Text3, Qt::Key_Return);
    QTest::keyClicks(window.Text3, QStringLiteral("two"));
    // Shift+Enter is a line break like any other, not a lone LF.
    QTest::keyClick(window.Text3, Qt::Key_Return, Qt::ShiftModifier);
    window.Text3->insertPlainText(QStringLiteral("caf\u00e9 \u20ac"));
    f.dialogs().queueInput(QStringLiteral("m"));
    click(window.ok);
    QVERIFY(f.dir.read(QStringLiteral("m.ms2"))
                .endsWith("From: Bob \r\n \r\none\r\ntwo\r\ncaf\xe9 \x80\r\n"));
}

void tst_newmes::everyFieldIsRequired_data()
{
    QTest::addColumn<QString>("emptyField");
    for (const char *field : { "dat", "tim", "t", "fro", "pri", "Text3" })
        QTest::newRow(field) << QString::fromLatin1(field);
}

void tst_newmes::everyFieldIsRequired()
{
    QFETCH(QString, emptyField);
    MessagesFixture f;
    newmes &window = composeFilled(f, QStringLiteral("User 1"), QStringLiteral("Hi"));
    if (auto *line = window.findChild<QLineEdit *>(emptyField))
        line->clear();
    else if (auto *box = window.findChild<QComboBox *>(emptyField))
        box->setEditText(QString());
    else
        window.Text3->clear();
    f.dialogs().queueInput(QStringLiteral("never"));
    click(window.ok);

    QCOMPARE(f.dialogs().calls().size(), 1);
    const FakeDialogs::Call &call = f.dialogs().calls().first();
    QCOMPARE(call.kind, FakeDialogs::Call::Kind::Message);
    QCOMPARE(call.text, QStringLiteral("Please fill in all fields"));
    QCOMPARE(call.title, QStringLiteral("Field Required"));
    QCOMPARE(call.icon, Dialogs::Icon::Exclamation);
    QCOMPARE(f.windows.composeIfLoaded(), &window);
    QVERIFY(!f.dir.exists(QStringLiteral("never.ms1")));
}

void tst_newmes::emptyOrCancelledNameWritesNothing()
{
    MessagesFixture f;
    f.state.setAutoRetrieve(true);
    newmes &window = composeFilled(f, QStringLiteral("User 4"), QStringLiteral("Body"));
    f.dialogs().queueInput(QString());
    click(window.ok);

    QCOMPARE(f.windows.composeIfLoaded(), &window);
    QVERIFY(window.isVisible());
    QCOMPARE(window.fro->text(), QStringLiteral("Bob"));
    QCOMPARE(window.Text3->messageText(), QStringLiteral("Body"));
    const QStringList files = QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(files.isEmpty(), qPrintable(files.join(u',')));
}

void tst_newmes::sendClosesAndRefreshesBrowserWhenAutoRetrieveIsOn()
{
    MessagesFixture f;
    f.state.setAutoRetrieve(true);
    Form4 &browser = f.windows.form4();
    browser.OpenInbox();
    QCOMPARE(browser.File1->count(), 0);

    newmes &window = composeFilled(f, QStringLiteral("Default"), QStringLiteral("x"));
    f.dialogs().queueInput(QStringLiteral("note"));
    click(window.ok);
    QCOMPARE(f.windows.composeIfLoaded(), nullptr);
    QCOMPARE(browser.File1->count(), 1);

    // With Auto Retrieve off the browser is left as it was.
    f.state.setAutoRetrieve(false);
    newmes &again = composeFilled(f, QStringLiteral("Default"), QStringLiteral("y"));
    f.dialogs().queueInput(QStringLiteral("other"));
    click(again.ok);
    QVERIFY(f.dir.exists(QStringLiteral("other.msg")));
    QCOMPARE(browser.File1->count(), 1);
}

void tst_newmes::refusedNamesSayInvalidAndClose_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removeDataFolder");
    QTest::newRow("separator") << "../escape" << false;
    QTest::newRow("into a sub-folder") << "History/x" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("data folder gone") << "plain" << true;
}

void tst_newmes::refusedNamesSayInvalidAndClose()
{
    QFETCH(QString, name);
    QFETCH(bool, removeDataFolder);
    MessagesFixture f;
    newmes &window = composeFilled(f, QStringLiteral("User 5"), QStringLiteral("Body"));
    if (removeDataFolder)
        QVERIFY(QDir(f.dir.path()).removeRecursively());
    f.dialogs().queueInput(name);
    click(window.ok);

    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Invalid Message Name"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Invalid"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    QCOMPARE(f.windows.composeIfLoaded(), nullptr);
    QVERIFY(!QFileInfo::exists(f.dir.file(QStringLiteral("../escape.ms5"))));
    QVERIFY(!f.dir.exists(QStringLiteral("History/x.ms5")));
}

void tst_newmes::otherWriteFailuresKeepTheWindow_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("writeError");
    QTest::addColumn<int>("renameError");
    QTest::addColumn<QString>("expectedInText");
    QTest::newRow("character cp1252 lacks") << "Arrow \u2192 here" << 0 << 0 << "\u2192";
    QTest::newRow("disk full") << "Fine" << ENOSPC << 0 << "note.ms6";
    // Another copy's clean-up removed the temporary: a failed write, not an invalid name.
    QTest::newRow("own temporary removed") << "Fine" << 0 << ENOENT << "note.ms6";
}

void tst_newmes::otherWriteFailuresKeepTheWindow()
{
    QFETCH(QString, body);
    QFETCH(int, writeError);
    QFETCH(int, renameError);
    QFETCH(QString, expectedInText);
    MessagesFixture f;
    newmes &window = composeFilled(f, QStringLiteral("User 6"), body);
    f.dialogs().queueInput(QStringLiteral("note"));
    SafeFile::setInjectedWriteFailure(writeError);
    SafeFile::setInjectedRenameFailure(renameError);
    click(window.ok);
    SafeFile::setInjectedWriteFailure(0);
    SafeFile::setInjectedRenameFailure(0);

    QCOMPARE(f.dialogs().calls().size(), 2);
    QVERIFY2(f.dialogs().last()->text.contains(expectedInText),
             qPrintable(f.dialogs().last()->text));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    QCOMPARE(f.windows.composeIfLoaded(), &window);
    QCOMPARE(window.Text3->messageText(), body);
    QVERIFY(!f.dir.exists(QStringLiteral("note.ms6")));
}

void tst_newmes::existingMessageIsReplaced()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("dup.ms2"), "old content that is longer\r\n");
    newmes &window = composeFilled(f, QStringLiteral("User 2"), QStringLiteral("new"));
    f.dialogs().queueInput(QStringLiteral("dup"));
    click(window.ok);
    QVERIFY(f.dir.read(QStringLiteral("dup.ms2")).endsWith(" \r\n \r\nnew\r\n"));
    QCOMPARE(f.dialogs().calls().size(), 1);
}

void tst_newmes::clockTimerFillsTimeAndDate()
{
    MessagesFixture f;
    newmes &window = f.windows.compose();
    window.clearFields();
    // Auto Time belongs to the main window: the window never starts its own clock.
    QVERIFY(!window.Timer1->isActive());
    // Shown, the clock keeps the fields within 200 ms; hidden, it only needs to catch up when
    // the window appears, which it does at once.
    window.Timer1->start();
    window.show();
    QCOMPARE(window.Timer1->interval(), 200);
    QCOMPARE(window.tim->text(), QStringLiteral("10:15"));
    window.hide();
    QVERIFY(window.Timer1->isActive());
    QVERIFY(window.Timer1->interval() > 200);
    window.Timer1->stop();
    window.clearFields();
    window.Timer1_Timer();
    QCOMPARE(window.tim->text(), QStringLiteral("10:15"));
    QCOMPARE(window.dat->text(), QStringLiteral("08/12/2026"));
    f.platform.clock.time = QStringLiteral("10:16");
    window.Timer1_Timer();
    QCOMPARE(window.tim->text(), QStringLiteral("10:16"));

    window.t->setEditText(QStringLiteral("User 1"));
    window.Text3->setMessageText(QStringLiteral("draft"));
    window.clearFields();
    for (QLineEdit *line : { window.tim, window.dat, window.fro })
        QVERIFY(line->text().isEmpty());
    QVERIFY(window.t->currentText().isEmpty());
    QVERIFY(window.pri->currentText().isEmpty());
    QVERIFY(window.Text3->messageText().isEmpty());
}

void tst_newmes::cancelClosesWithoutWriting()
{
    MessagesFixture f;
    newmes &window = composeFilled(f, QStringLiteral("User 1"), QStringLiteral("Body"));
    click(window.canc);
    QCOMPARE(f.windows.composeIfLoaded(), nullptr);
    QVERIFY(f.dialogs().calls().isEmpty());
    QVERIFY(QDir(f.dir.path()).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(tst_newmes)
#include "tst_newmes.moc"
