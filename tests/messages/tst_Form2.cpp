#include "MessagesFixture.h"
#include "app/Form3.h"
#include "fs/FileList.h"
#include "fs/SafeFile.h"
#include "messages/MessageTextEdit.h"

#include <QClipboard>
#include <QLineEdit>
#include <QTextBlock>

#include <cerrno>

class tst_Form2 : public QObject
{
    Q_OBJECT

private slots:
    void designState();
    void saveWritesTextAndOneCrLf_data();
    void saveWritesTextAndOneCrLf();
    void editsAtAPieceBreakKeepTheText_data();
    void editsAtAPieceBreakKeepTheText();
    void everyCp1252ByteSurvivesOpenAndSave();
    void saveFailureKeepsReferenceText();
    void unstorableTextIsNamedAndNothingWritten_data();
    void unstorableTextIsNamedAndNothingWritten();
    void saveAsCompletesNameBySlot_data();
    void saveAsCompletesNameBySlot();
    void saveAsRefusesUnsafeNames_data();
    void saveAsRefusesUnsafeNames();
    void exitPromptsOnlyForRealEdits();
    void exitWithEditsAnsweredYesOrNo_data();
    void exitWithEditsAnsweredYesOrNo();
    void exitYesThatCannotWriteKeepsWindow();
    void deleteAnsweredNoOrYes();
    void moveToHistoryAddsCrLfAndReplaces();
    void moveToHistoryWithoutHistoryFolder();
    void changeUnderTheViewer_data();
    void changeUnderTheViewer();
    void moveToInboxReplacesExisting();
    void oneMoveButtonAcrossTwoOpens();
};

void tst_Form2::designState()
{
    MessagesFixture f;
    Form2 &viewer = f.windows.form2();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Message :"));
    QVERIFY(viewer.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(viewer.size(), QSize(304, 267));
    QCOMPARE(viewer.filn->text(), QStringLiteral("Filename"));
    QCOMPARE(viewer.pat->text(), QStringLiteral("Path"));
    QVERIFY(viewer.history->isHidden() && viewer.inbox->isHidden());
    QCOMPARE(viewer.history->geometry(), viewer.inbox->geometry());
    QCOMPARE(viewer.history->toolTip(), QStringLiteral("Send message to history"));
    QCOMPARE(viewer.inbox->toolTip(), QStringLiteral("Send message to inbox"));
    QCOMPARE(viewer.sav->toolTip(), QStringLiteral("Save this message"));
    QCOMPARE(viewer.del->toolTip(), QStringLiteral("Delete this message"));
    QCOMPARE(viewer.saveas->toolTip(), QStringLiteral("Save message as new message name"));
    QCOMPARE(viewer.findChild<QPlainTextEdit *>(QStringLiteral("Text1")), viewer.Text1);
    for (const char *twin : { "exitp", "historyp", "inboxp", "savp", "delp", "saveasp" })
        QVERIFY2(viewer.findChild<PictureButton *>(QLatin1String(twin)), twin);
}

void tst_Form2::saveWritesTextAndOneCrLf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("two lines") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n"
                               << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("lone LF stays in the line") << QByteArray("a\nb") << "a\nb\r\n"
                                               << QByteArray("a\nb\r\n\r\n");
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb") << "a\r\nb\r\n"
                                         << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("empty") << QByteArray() << "" << QByteArray("\r\n");
    // Long lines are shown as pieces; the breaks between them are not the message's.
    const QByteArray word(10000, 'x');
    QTest::newRow("one long word")
        << word + "\r\nend" << QString(word + "\r\nend\r\n") << word + "\r\nend\r\n\r\n";
    QByteArray words = QByteArray("lorem\tipsum\xa0"
                                  "dolor ")
                           .repeated(600);
    words.insert(1010, '\n');
    words.insert(3000, "\r\n\r\n");
    const QString shown = QString::fromLatin1(words);
    QTest::newRow("long lines of words") << words + "\rtail" << shown + "\r\ntail\r\n"
                                         << words + "\r\ntail\r\n\r\n";
    // Many lines are joined into fewer paragraphs, a CR LF becoming a break within one.
    QByteArray lines = QByteArray("a line\r\n").repeated(2500);
    lines.insert(5000, "lone\nLF\n\n");
    lines.insert(9002, QByteArray("long ").repeated(1000));
    QTest::newRow("many lines") << lines + "\rend" << QString::fromLatin1(lines) + "\r\nend\r\n"
                                << lines + "\r\nend\r\n\r\n";
}

void tst_Form2::editsAtAPieceBreakKeepTheText_data()
{
    // Where the box broke a long line into pieces: the cursor is placed at offset from the
    // break (selecting on to selectTo), keys are typed; the message is the original with
    // from..to replaced by inserted.
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("selectTo");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("type before") << 0 << 0 << "z" << 0 << 0 << "z";
    QTest::newRow("type after") << 1 << 1 << "z" << 0 << 0 << "z";
    QTest::newRow("Enter after") << 1 << 1 << "Return" << 0 << 0 << "\r\n";
    QTest::newRow("Shift+Enter before") << 0 << 0 << "Shift+Return" << 0 << 0 << "\r\n";
    QTest::newRow("Enter over it") << -2 << 3 << "Return" << -2 << 2 << "\r\n";
    QTest::newRow("Backspace after") << 1 << 1 << "Backspace" << -1 << 0 << "";
    QTest::newRow("Delete before") << 0 << 0 << "Del" << 0 << 1 << "";
    QTest::newRow("copy across, paste back") << -3 << 4 << "Ctrl+C, Ctrl+V" << 0 << 0 << "";
    QTest::newRow("paste lines after") << 1 << 1 << "Ctrl+V" << 0 << 0 << "a\r\nb";
    QTest::newRow("undo after Enter") << 1 << 1 << "Return, Ctrl+Z" << 0 << 0 << "";
}

void tst_Form2::editsAtAPieceBreakKeepTheText()
{
    QFETCH(int, offset);
    QFETCH(int, selectTo);
    QFETCH(QString, keys);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, inserted);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), QByteArray("lorem ipsum ").repeated(1000));
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    const QString original = f.state.referenceText;
    const int breakAt = viewer->Text1->document()->firstBlock().length() - 1;
    QVERIFY(breakAt > 10 && breakAt < 2000);
    QTextCursor cursor = viewer->Text1->textCursor();
    cursor.setPosition(breakAt + offset);
    cursor.setPosition(breakAt + selectTo, QTextCursor::KeepAnchor);
    viewer->Text1->setTextCursor(cursor);
    if (keys == QLatin1String("Ctrl+V"))
        QGuiApplication::clipboard()->setText(QString(inserted).replace("\r\n", "\n"));
    QTest::keySequence(viewer->Text1, QKeySequence(keys));
    const QString expected = QString(original).replace(breakAt + from, to - from, inserted);
    QCOMPARE(viewer->Text1->messageText().mid(breakAt - 20, 40), expected.mid(breakAt - 20, 40));
    QCOMPARE(viewer->Text1->messageText(), expected);
}

void tst_Form2::saveWritesTextAndOneCrLf()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, loaded);
    QFETCH(QByteArray, saved);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), file);
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    QCOMPARE(viewer->Text1->messageText(), loaded);
    QCOMPARE(f.state.referenceText, loaded);
    click(viewer->sav);
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), saved);

    viewer->Text1->setPlainText(QStringLiteral("abc"));
    click(viewer->sav);
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("abc\r\n"));
    QCOMPARE(f.state.referenceText, QStringLiteral("abc"));
    QVERIFY(f.dialogs().calls().isEmpty());
}

void tst_Form2::everyCp1252ByteSurvivesOpenAndSave()
{
    MessagesFixture f;
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes.append(char(b));
    bytes += "\r\n";
    f.dir.write(QStringLiteral("all.msg"), bytes);
    Form2 *viewer = f.open(QStringLiteral("all.msg"));
    QVERIFY(viewer);
    click(viewer->sav);
    QCOMPARE(f.dir.read(QStringLiteral("all.msg")), bytes + "\r\n");
}

void tst_Form2::saveFailureKeepsReferenceText()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "old\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("new"));
    SafeFile::setInjectedWriteFailure(EIO);
    click(viewer->sav);
    SafeFile::setInjectedWriteFailure(0);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Error, please open message again"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Error"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Exclamation);
    QCOMPARE(f.state.referenceText, QStringLiteral("old\r\n"));
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("old\r\n"));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);
}

void tst_Form2::unstorableTextIsNamedAndNothingWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("character cp1252 lacks") << QStringLiteral("smile \u263a") << "\u263a";
    // Not "please open message again", which would throw the edits away.
    QString large;
    while (large.size() <= 16 * 1024 * 1024)
        large += QString(78, u'x') + QStringLiteral("\r\n");
    QTest::newRow("text over 16 MB") << large << "16 MB";
}

void tst_Form2::unstorableTextIsNamedAndNothingWritten()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "old\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setMessageText(text);

    click(viewer->sav);
    QVERIFY(f.dialogs().last()->text.contains(named));
    f.dialogs().queueInput(QStringLiteral("copy"));
    click(viewer->saveas);
    QVERIFY(f.dialogs().last()->text.contains(named));
    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    click(viewer->exity);
    QVERIFY(f.dialogs().last()->text.contains(named));

    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("old\r\n"));
    QVERIFY(!f.dir.exists(QStringLiteral("copy.msg")));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);
    QCOMPARE(viewer->Text1->messageText(), text);
    QCOMPARE(f.state.referenceText, QStringLiteral("old\r\n"));
}

void tst_Form2::saveAsCompletesNameBySlot_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("note on 3") << "3"
                               << "note"
                               << "note.ms3";
    QTest::newRow("typed extension stays") << "3"
                                           << "note.ms3"
                                           << "note.ms3.ms3";
    QTest::newRow("default user") << "d"
                                  << "note"
                                  << "note.msg";
}

void tst_Form2::saveAsCompletesNameBySlot()
{
    QFETCH(QString, slot);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    MessagesFixture f;
    f.state.setSlotCode(slot);
    const QString opened = QStringLiteral("orig.")
        + (slot == QLatin1String("d") ? QStringLiteral("msg") : QStringLiteral("ms") + slot);
    f.dir.write(opened, "first\r\n");
    f.dir.write(written, "to be replaced\r\n");
    FileList &counting = *f.windows.form3().File1;
    counting.setPath(f.dir.path());
    counting.setPattern(QLatin1Char('*') + written.mid(written.lastIndexOf(u'.')));
    QCOMPARE(counting.count(), 2);
    f.dir.write(QStringLiteral("unlisted") + written.mid(written.lastIndexOf(u'.')), "x");
    Form2 *viewer = f.open(opened);
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("edited"));
    f.dialogs().queueInput(answer);
    click(viewer->saveas);

    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Please enter new message name"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Enter New Message Name"));
    QCOMPARE(f.dir.read(written), QByteArray("edited\r\n"));
    QCOMPARE(viewer->filn->text(), opened);
    QCOMPARE(f.state.referenceText, QStringLiteral("edited"));
    // The counting lists were re-read.
    QCOMPARE(counting.count(), 3);

    // Save still writes the file that was opened; Exit then closes without a prompt.
    viewer->Text1->setPlainText(QStringLiteral("second"));
    click(viewer->sav);
    QCOMPARE(f.dir.read(opened), QByteArray("second\r\n"));
    QCOMPARE(f.dir.read(written), QByteArray("edited\r\n"));
    click(viewer->exity);
    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);

    // Empty answer: nothing written, nothing said.
    viewer = f.open(opened);
    f.dialogs().clear();
    f.dialogs().queueInput(QString());
    click(viewer->saveas);
    QCOMPARE(f.dialogs().calls().size(), 1);
}

void tst_Form2::saveAsRefusesUnsafeNames_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("parent") << "../out";
    QTest::newRow("sub-folder") << "History/x";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
}

void tst_Form2::saveAsRefusesUnsafeNames()
{
    QFETCH(QString, answer);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "x\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    const QStringList before = QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    f.dialogs().queueInput(answer);
    click(viewer->saveas);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Invalid message name"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Cannot Save"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QVERIFY(QDir(f.dir.file(QStringLiteral("History"))).isEmpty());
    QVERIFY(!QFileInfo::exists(f.dir.file(QStringLiteral("../out.msg"))));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);
}

void tst_Form2::exitPromptsOnlyForRealEdits()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "text\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    click(viewer->exity);
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);

    // Typing a character and deleting it again is no edit.
    viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->moveCursor(QTextCursor::End);
    QTest::keyClick(viewer->Text1, Qt::Key_Z);
    QVERIFY(viewer->Text1->messageText() != f.state.referenceText);
    QTest::keyClick(viewer->Text1, Qt::Key_Backspace);
    click(viewer->exity);
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("text\r\n"));
}

void tst_Form2::exitWithEditsAnsweredYesOrNo_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void tst_Form2::exitWithEditsAnsweredYesOrNo()
{
    QFETCH(bool, yes);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "text\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("changed"));
    f.dialogs().queueAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    click(viewer->exity);
    QCOMPARE(f.dialogs().calls().size(), 1);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Save changes to 'm.msg'"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Save Changes?"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Question);
    QCOMPARE(f.dialogs().last()->buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")),
             yes ? QByteArray("changed\r\n") : QByteArray("text\r\n"));
    QVERIFY(viewer->history->isHidden() && viewer->inbox->isHidden());
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
}

void tst_Form2::exitYesThatCannotWriteKeepsWindow()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "text\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("changed"));
    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    SafeFile::setInjectedWriteFailure(ENOSPC);
    click(viewer->exity);
    SafeFile::setInjectedWriteFailure(0);
    QCOMPARE(f.dialogs().last()->text, QStringLiteral("Error, please open message again"));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);
    QVERIFY(viewer->history->isVisible());
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("text\r\n"));
}

void tst_Form2::deleteAnsweredNoOrYes()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "text\r\n");
    f.state.setAutoRetrieve(true);
    f.windows.form3().File1->setPath(f.dir.path());
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    QCOMPARE(f.windows.form3().File1->count(), 1);
    click(viewer->del);
    QCOMPARE(f.dialogs().last()->text,
             QStringLiteral("Are you sure you want to delete this message?"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Delete Message?"));
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::Question);
    QVERIFY(f.dir.exists(QStringLiteral("m.msg")));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);

    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    click(viewer->del);
    QVERIFY(!f.dir.exists(QStringLiteral("m.msg")));
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
    QCOMPARE(f.windows.form3().File1->count(), 0);
    QCOMPARE(f.windows.form4().File1->count(), 0);
}

void tst_Form2::moveToHistoryAddsCrLfAndReplaces()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "a\r\n");
    f.dir.write(f.historyFile(QStringLiteral("m.msg")), "older\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("unsaved edit is not moved"));
    click(viewer->history);
    QCOMPARE(f.dialogs().last()->text,
             QStringLiteral("Are you sure you want to move this message to the history?"));
    QCOMPARE(f.dialogs().last()->title, QStringLiteral("Move to History?"));
    QVERIFY(f.dir.exists(QStringLiteral("m.msg")));

    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    click(viewer->history);
    QVERIFY(!f.dir.exists(QStringLiteral("m.msg")));
    QCOMPARE(f.dir.read(f.historyFile(QStringLiteral("m.msg"))), QByteArray("a\r\n\r\n"));
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
}

void tst_Form2::moveToHistoryWithoutHistoryFolder()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "a\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    QVERIFY(QDir(f.dir.file(QStringLiteral("History"))).removeRecursively());
    f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    click(viewer->history);
    QCOMPARE(f.dialogs().last()->text,
             QStringLiteral("Cannot find history folder, make sure ") + f.state.historyFolder()
                 + QStringLiteral(" exists."));
    QCOMPARE(f.dialogs().last()->title, Dialogs::applicationTitle());
    QCOMPARE(f.dialogs().last()->icon, Dialogs::Icon::None);
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("a\r\n"));
    QCOMPARE(f.windows.form2IfLoaded(), viewer);
}

namespace {

// Every message file in the data folder and its History folder, as "name=content".
QStringList filesIn(const TempFolder &dir)
{
    QStringList found;
    for (const QString &folder : { QString(), QStringLiteral("History/") }) {
        const QStringList names = QDir(dir.file(folder)).entryList(QDir::Files, QDir::Name);
        for (const QString &name : names)
            found << folder + name + QLatin1Char('=')
                    + QString::fromLatin1(dir.read(folder + name));
    }
    return found;
}

} // namespace

void tst_Form2::changeUnderTheViewer_data()
{
    // m.msg holds "first" when opened; the viewer's text becomes "ours"; then someone else
    // does `change` and the user does `action`, answering the guard's box with `choice`.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("title"); // of the guard's box, "" for none
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("open");
    const QString changed = QStringLiteral("Message Changed");
    const QString gone = QStringLiteral("Message Moved or Deleted");
    QTest::newRow("same bytes rewritten, Save") << "same bytes"
                                                << "Save"
                                                << ""
                                                << "" << QStringList { "m.msg=ours\r\n" } << true;
    QTest::newRow("saved, Keep Both")
        << "saved"
        << "Save"
        << "Keep Both" << changed << QStringList { "m (2).msg=ours\r\n", "m.msg=theirs\r\n" }
        << true;
    QTest::newRow("saved, Keep Both beside an earlier copy")
        << "saved beside a copy"
        << "Save"
        << "Keep Both" << changed
        << QStringList { "m (2).msg=copy\r\n", "m (3).msg=ours\r\n", "m.msg=theirs\r\n" } << true;
    QTest::newRow("saved, Replace Theirs")
        << "saved"
        << "Save"
        << "Replace Theirs" << changed << QStringList { "m.msg=ours\r\n" } << true;
    QTest::newRow("saved, Cancel")
        << "saved"
        << "Save"
        << "Cancel" << changed << QStringList { "m.msg=theirs\r\n" } << true;
    QTest::newRow("saved, Exit Yes, Cancel keeps the window")
        << "saved"
        << "Exit"
        << "Cancel" << changed << QStringList { "m.msg=theirs\r\n" } << true;
    QTest::newRow("renamed, Save as New")
        << "renamed"
        << "Save"
        << "Save as New" << gone << QStringList { "m.msg=ours\r\n", "m2.msg=first\r\n" } << true;
    QTest::newRow("renamed, Cancel")
        << "renamed"
        << "Save"
        << "Cancel" << gone << QStringList { "m2.msg=first\r\n" } << true;
    QTest::newRow("filed in History, Exit Yes, Save as New")
        << "moved"
        << "Exit"
        << "Save as New" << gone << QStringList { "m.msg=ours\r\n", "History/m.msg=first\r\n" }
        << false;
    QTest::newRow("deleted, Cancel") << "deleted"
                                     << "Save"
                                     << "Cancel" << gone << QStringList {} << true;
    QTest::newRow("saved, Delete is cancelled by default")
        << "saved"
        << "Delete"
        << "" << changed << QStringList { "m.msg=theirs\r\n" } << true;
    QTest::newRow("saved, Delete Anyway") << "saved"
                                          << "Delete"
                                          << "Delete Anyway" << changed << QStringList {} << false;
    QTest::newRow("saved, move to History is cancelled by default")
        << "saved"
        << "History"
        << "" << changed << QStringList { "m.msg=theirs\r\n" } << true;
    QTest::newRow("deleted, move to History moves nothing") << "deleted"
                                                            << "History"
                                                            << "" << gone << QStringList {} << true;
}

void tst_Form2::changeUnderTheViewer()
{
    QFETCH(QString, change);
    QFETCH(QString, action);
    QFETCH(QString, choice);
    QFETCH(QString, title);
    QFETCH(QStringList, files);
    QFETCH(bool, open);
    MessagesFixture f;
    f.dir.write(QStringLiteral("m.msg"), "first\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"));
    QVERIFY(viewer);
    viewer->Text1->setPlainText(QStringLiteral("ours"));
    const QString path = f.dir.file(QStringLiteral("m.msg"));
    if (change == QLatin1String("same bytes")) {
        // A sync engine puts the same text back as a new file.
        QVERIFY(QFile::remove(path));
        f.dir.write(QStringLiteral("m.msg"), "first\r\n");
    } else if (change.startsWith(QLatin1String("saved"))) {
        f.dir.write(QStringLiteral("m.msg"), "theirs\r\n");
        if (change.endsWith(QLatin1String("copy")))
            f.dir.write(QStringLiteral("m (2).msg"), "copy\r\n");
    } else if (change == QLatin1String("renamed")) {
        QVERIFY(QFile::rename(path, f.dir.file(QStringLiteral("m2.msg"))));
    } else if (change == QLatin1String("moved")) {
        QVERIFY(QFile::rename(path, f.dir.file(f.historyFile(QStringLiteral("m.msg")))));
    } else {
        QVERIFY(QFile::remove(path));
    }
    if (!choice.isEmpty())
        f.dialogs().queueChoice(choice);
    if (action != QLatin1String("Save"))
        f.dialogs().queueAnswer(Dialogs::Answer::Yes);
    PictureButton *button = action == QLatin1String("Save") ? viewer->sav
        : action == QLatin1String("Exit")                   ? viewer->exity
        : action == QLatin1String("Delete")                 ? viewer->del
                                                            : viewer->history;
    click(button);

    QList<FakeDialogs::Call> guard;
    for (const FakeDialogs::Call &call : f.dialogs().calls())
        if (call.icon == Dialogs::Icon::Exclamation)
            guard.append(call);
    if (title.isEmpty()) {
        QVERIFY(guard.isEmpty());
    } else {
        QCOMPARE(guard.size(), 1);
        QCOMPARE(guard.first().title, title);
        QVERIFY2(guard.first().text.contains(QStringLiteral("'m.msg'")),
                 qPrintable(guard.first().text));
        // The way out that writes or takes away nothing is Escape's, and Cancel the default
        // wherever their version would be lost.
        if (guard.first().kind == FakeDialogs::Call::Kind::Choice) {
            QCOMPARE(guard.first().choices.last(), QStringLiteral("Cancel"));
            if (action == QLatin1String("Delete") || action == QLatin1String("History"))
                QCOMPARE(guard.first().defaultChoice, 1);
            else
                QCOMPARE(guard.first().defaultChoice, 0);
        }
        // Keep Both names the file the text will be in.
        if (choice == QLatin1String("Keep Both"))
            QVERIFY(guard.first().text.contains(
                QLatin1Char('\'')
                + files.filter(QStringLiteral("=ours")).first().section(u'=', 0, 0)
                + QLatin1Char('\'')));
    }
    QCOMPARE(filesIn(f.dir), files);
    QCOMPARE(f.windows.form2IfLoaded() != nullptr, open);
    if (!open)
        return;
    const bool saved = action == QLatin1String("Save") && choice != QLatin1String("Cancel");
    QCOMPARE(f.state.referenceText, saved ? QStringLiteral("ours") : QStringLiteral("first\r\n"));
    if (!saved)
        return;
    // The version saved is the one remembered: the next Save asks nothing and goes to the
    // same file.
    const qsizetype boxes = f.dialogs().calls().size();
    viewer->Text1->setPlainText(QStringLiteral("again"));
    click(viewer->sav);
    QCOMPARE(f.dialogs().calls().size(), boxes);
    QCOMPARE(f.dir.read(viewer->filn->text()), QByteArray("again\r\n"));
}

void tst_Form2::moveToInboxReplacesExisting()
{
    MessagesFixture f;
    f.dir.write(f.historyFile(QStringLiteral("m.msg")), "from history\r\n");
    f.dir.write(QStringLiteral("m.msg"), "in the inbox\r\n");
    Form2 *viewer = f.open(QStringLiteral("m.msg"), true);
    QVERIFY(viewer);
    QVERIFY(viewer->inbox->isVisible());
    click(viewer->inbox);
    QVERIFY(f.dialogs().calls().isEmpty());
    QCOMPARE(f.dir.read(QStringLiteral("m.msg")), QByteArray("from history\r\n\r\n"));
    QVERIFY(!f.dir.exists(f.historyFile(QStringLiteral("m.msg"))));
    QCOMPARE(f.windows.form2IfLoaded(), nullptr);
}

void tst_Form2::oneMoveButtonAcrossTwoOpens()
{
    MessagesFixture f;
    f.dir.write(QStringLiteral("in.msg"), "1\r\n");
    f.dir.write(f.historyFile(QStringLiteral("old.msg")), "2\r\n");
    Form2 *first = f.open(QStringLiteral("in.msg"));
    QVERIFY(first);
    QVERIFY(first->history->isVisible() && first->inbox->isHidden());
    QCOMPARE(first->pat->text(), f.state.dataFolder());

    // A second Open while the viewer is shown replaces its content in place.
    Form2 *second = f.open(QStringLiteral("old.msg"), true);
    QCOMPARE(second, first);
    QVERIFY(second->inbox->isVisible() && second->history->isHidden());
    QCOMPARE(second->filn->text(), QStringLiteral("old.msg"));
    QCOMPARE(second->pat->text(), f.state.historyFolder());
    QCOMPARE(second->Text1->messageText(), QStringLiteral("2\r\n"));
    QCOMPARE(f.state.referenceText, QStringLiteral("2\r\n"));

    QVERIFY(f.open(QStringLiteral("in.msg")) == first);
    QVERIFY(first->history->isVisible() && first->inbox->isHidden());
}

QTEST_MAIN(tst_Form2)
#include "tst_Form2.moc"
