#include "desktop/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs handle on the modal dialog as soon as it is shown (the dialogs run their own loop).
// A dialog the handler failed to answer is rejected, so a failure cannot hang the test.
void whenModal(const std::function<void(QWidget *)> &handle)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            const QPointer<QDialog> dialog = qobject_cast<QDialog *>(modal);
            handle(modal);
            if (dialog && dialog->isVisible())
                dialog->reject();
        }
    });
    timer->start();
}

} // namespace

class tst_QtDialogs : public QObject
{
    Q_OBJECT

private slots:
    void messageBox();
    void choiceBox_data();
    void choiceBox();
    void inputBox_data();
    void inputBox();
};

void tst_QtDialogs::messageBox()
{
    struct Case
    {
        Dialogs::Icon icon;
        Dialogs::Buttons buttons;
        QMessageBox::StandardButton click;
        Dialogs::Answer answer;
        QMessageBox::Icon qtIcon;
    };
    const Case cases[] = {
        { Dialogs::Icon::Question, Dialogs::Buttons::YesNo, QMessageBox::Yes, Dialogs::Answer::Yes,
          QMessageBox::Question },
        { Dialogs::Icon::Question, Dialogs::Buttons::YesNo, QMessageBox::No, Dialogs::Answer::No,
          QMessageBox::Question },
        { Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok, QMessageBox::Ok, Dialogs::Answer::Ok,
          QMessageBox::Warning },
    };
    for (const Case &c : cases) {
        bool seen = false;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), QString("Inbox Missing"));
            QCOMPARE(box->text(), QString("Could not find inbox"));
            QCOMPARE(box->icon(), c.qtIcon);
            QCOMPARE(box->textFormat(), Qt::PlainText); // names in texts are never markup
            QCOMPARE(box->standardButtons(),
                     c.buttons == Dialogs::Buttons::Ok ? QMessageBox::Ok
                                                       : QMessageBox::Yes | QMessageBox::No);
            QTest::mouseClick(box->button(c.click), Qt::LeftButton);
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.messageBox("Could not find inbox", "Inbox Missing", c.icon, c.buttons),
                 c.answer);
        QVERIFY(seen);
    }
}

void tst_QtDialogs::choiceBox_data()
{
    // How the box is answered, and the index that comes back.
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("second clicked") << "Replace Theirs" << 1;
    QTest::newRow("Enter takes the default") << "Return" << 0;
    QTest::newRow("Escape is the last") << "Escape" << 2;
}

void tst_QtDialogs::choiceBox()
{
    QFETCH(QString, press);
    QFETCH(int, answer);
    const QStringList choices { "Keep Both", "Replace Theirs", "Cancel" };
    bool seen = false;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seen = true;
        QCOMPARE(box->windowTitle(), QString("Message Changed"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QStringList labels;
        for (QAbstractButton *button : box->buttons())
            labels << button->text();
        labels.sort();
        QStringList expected = choices;
        expected.sort();
        QCOMPARE(labels, expected);
        QCOMPARE(box->defaultButton()->text(), choices.first());
        if (press == QLatin1String("Return") || press == QLatin1String("Escape")) {
            QTest::keyClick(box,
                            press == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Escape);
            return;
        }
        for (QAbstractButton *button : box->buttons())
            if (button->text() == press)
                QTest::mouseClick(button, Qt::LeftButton);
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.choiceBox("Someone else saved 'm.msg'", "Message Changed",
                               Dialogs::Icon::Exclamation, choices, 0),
             answer);
    QVERIFY(seen);
}

void tst_QtDialogs::inputBox_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("answer");
    QTest::newRow("typed") << true << "lunch";
    QTest::newRow("cancel") << false << "";
}

void tst_QtDialogs::inputBox()
{
    QFETCH(bool, accept);
    QFETCH(QString, answer);
    bool seen = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        QVERIFY(dialog);
        seen = true;
        QCOMPARE(dialog->windowTitle(), QString("Save As"));
        QCOMPARE(dialog->labelText(), QString("Enter a name for the message"));
        auto *edit = dialog->findChild<QLineEdit *>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), QString("draft"));
        edit->selectAll();
        QTest::keyClicks(edit, "lunch");
        auto *box = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(box);
        QTest::mouseClick(box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                          Qt::LeftButton);
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.inputBox("Enter a name for the message", "Save As", "draft"), answer);
    QVERIFY(seen);
}

QTEST_MAIN(tst_QtDialogs)
#include "tst_QtDialogs.moc"
