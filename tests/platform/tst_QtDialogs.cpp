#include "platform/QtDialogs.h"

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
    void messageBox_data();
    void messageBox();
    void inputBox_data();
    void inputBox();
};

void tst_QtDialogs::messageBox_data()
{
    QTest::addColumn<Dialogs::Icon>("icon");
    QTest::addColumn<Dialogs::Buttons>("buttons");
    QTest::addColumn<int>("click");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<int>("qtIcon");
    QTest::addColumn<int>("qtButtons");
    const int yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("yes") << Dialogs::Icon::Question << Dialogs::Buttons::YesNo
                         << int(QMessageBox::Yes) << Dialogs::Answer::Yes
                         << int(QMessageBox::Question) << yesNo;
    QTest::newRow("no") << Dialogs::Icon::Question << Dialogs::Buttons::YesNo
                        << int(QMessageBox::No) << Dialogs::Answer::No << int(QMessageBox::Question)
                        << yesNo;
    QTest::newRow("ok") << Dialogs::Icon::Exclamation << Dialogs::Buttons::Ok
                        << int(QMessageBox::Ok) << Dialogs::Answer::Ok << int(QMessageBox::Warning)
                        << int(QMessageBox::Ok);
}

void tst_QtDialogs::messageBox()
{
    QFETCH(Dialogs::Icon, icon);
    QFETCH(Dialogs::Buttons, buttons);
    QFETCH(int, click);
    QFETCH(Dialogs::Answer, answer);
    QFETCH(int, qtIcon);
    QFETCH(int, qtButtons);
    bool seen = false;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seen = true;
        QCOMPARE(box->windowTitle(), QString("Inbox Missing"));
        QCOMPARE(box->text(), QString("Could not find inbox"));
        QCOMPARE(int(box->icon()), qtIcon);
        QCOMPARE(int(box->standardButtons()), qtButtons);
        QTest::mouseClick(box->button(QMessageBox::StandardButton(click)), Qt::LeftButton);
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.messageBox("Could not find inbox", "Inbox Missing", icon, buttons), answer);
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
