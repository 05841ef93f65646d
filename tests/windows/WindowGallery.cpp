#include "WindowGallery.h"

#include "accounts/Form5.h"
#include "accounts/usopt.h"
#include "app/Form3.h"
#include "app/Form6.h"
#include "app/Form7.h"
#include "app/Form8.h"
#include "app/about.h"
#include "desktop/QtDialogs.h"
#include "fs/FileList.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "messages/MessageTextEdit.h"
#include "messages/newmes.h"
#include "widgets/FileListBox.h"
#include "widgets/PictureButton.h"

#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

QByteArray message(const char *priority, const char *to, const char *from, const char *text)
{
    return QByteArray("09:42  08/12/2026 \r\n \r\n \r\nPriority: ") + priority
        + " \r\n \r\nTo: " + to + " \r\nFrom: " + from + " \r\n \r\n" + text;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

WindowGallery::WindowGallery()
    : state(dir.path(), platform.platform())
    , windows(state)
    , main(windows)
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/notavo.svg")));
    dir.makeFolder(QStringLiteral("History"));
    dir.write(QStringLiteral("Lunch order.msg"),
              message("Normal", "Anna Berg", "Reception",
                      "The sandwiches arrive at 12:30.\r\nPlease collect yours from the "
                      "kitchen before 13:00."));
    dir.write(QStringLiteral("Call back Mr Lund.msg"),
              message("Urgent", "Anna Berg", "Tom", "Mr Lund called about the invoice. 555 0142."));
    dir.write(QStringLiteral("History/Printer fixed.msg"),
              message("Low", "Anna Berg", "IT", "The printer on the second floor works again."));
    dir.write(QStringLiteral("df.kfl"), "Anna Berg\r\n");
    dir.write(QStringLiteral("du.kfl"), "anna\r\n");
    dir.write(QStringLiteral("msg.kfl"), "1234\r\n");
    dir.write(QStringLiteral("msgu.kfl"), "tom\r\n");
    dir.write(QStringLiteral("msgf.kfl"), "Tom Jensen\r\n");

    // What the start-up does, without the splash and the autostart entry.
    windows.form3().File1->setPath(state.dataFolder());
    windows.form3().File2->setPath(state.historyFolder());
    main.nam->setText(QStringLiteral("Anna Berg"));
    // The counts written at once, as after a login; then the pictures are looked at, not the
    // polling.
    state.restartCounts();
    for (QTimer *timer : { main.Timer1, main.Timer2, main.Timer3, main.Timer4 })
        timer->stop();
}

WindowGallery::~WindowGallery()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window != &main)
            window->hide();
    settle();
}

QStringList WindowGallery::names()
{
    return { QStringLiteral("main"),        QStringLiteral("main-keyboard"),
             QStringLiteral("splash"),      QStringLiteral("close"),
             QStringLiteral("about"),       QStringLiteral("menu"),
             QStringLiteral("compose"),     QStringLiteral("viewer"),
             QStringLiteral("inbox"),       QStringLiteral("history"),
             QStringLiteral("login"),       QStringLiteral("account"),
             QStringLiteral("message-box"), QStringLiteral("input-box") };
}

QWidget *WindowGallery::show(const QString &name)
{
    QWidget *window = nullptr;
    if (name == QLatin1String("main")) {
        window = &main;
    } else if (name == QLatin1String("main-keyboard")) {
        // A keyboard user on the Auto Time mark: the focus frame shows where Space acts.
        main.show();
        main.activateWindow();
        if (!QTest::qWaitForWindowActive(&main))
            return nullptr;
        main.aut->setFocus(Qt::TabFocusReason);
        window = &main;
    } else if (name == QLatin1String("splash")) {
        Form7 &splash = windows.form7();
        // It stays until the picture is taken.
        splash.Timer1->stop();
        window = &splash;
    } else if (name == QLatin1String("close")) {
        window = &windows.form6();
    } else if (name == QLatin1String("about")) {
        window = &windows.aboutWindow();
    } else if (name == QLatin1String("menu")) {
        Form8 &menu = windows.form8();
        menu.popUp(QPoint(40, 40));
        window = menu.mnu;
    } else if (name == QLatin1String("compose")) {
        newmes &compose = windows.compose();
        compose.t->setEditText(QStringLiteral("User 1"));
        compose.pri->setEditText(QStringLiteral("Normal"));
        compose.fro->setText(QStringLiteral("Anna"));
        compose.dat->setText(platform.clock.date);
        compose.tim->setText(platform.clock.time);
        compose.Text3->setPlainText(QStringLiteral("Tom, the meeting room is free at three."));
        window = &compose;
    } else if (name == QLatin1String("viewer")) {
        Form4 &browser = windows.form4();
        browser.OpenInbox();
        browser.File1->selectName(QStringLiteral("Lunch order.msg"));
        browser.openy->pressDown();
        browser.openy->releaseUp();
        windows.unload(windows.form4IfLoaded());
        window = windows.form2IfLoaded();
    } else if (name == QLatin1String("inbox")) {
        Form4 &browser = windows.form4();
        browser.OpenInbox();
        browser.File1->selectName(QStringLiteral("Lunch order.msg"));
        window = &browser;
    } else if (name == QLatin1String("history")) {
        Form4 &browser = windows.form4();
        browser.OpenHistory();
        window = &browser;
    } else if (name == QLatin1String("login")) {
        Form5 &login = windows.form5();
        login.uss->setCurrentIndex(1);
        login.uss_Click();
        login.user->setText(QStringLiteral("tom"));
        window = &login;
    } else if (name == QLatin1String("account")) {
        usopt &options = windows.userOptions();
        // The choice runs once the selection settles, and asks for the password.
        platform.dialogs.queueInput(QStringLiteral("1234"));
        options.us->setCurrentRow(1);
        window = &options;
    } else if (name == QLatin1String("message-box")) {
        // The boxes open over a window whose style sheet reaches every label in them.
        window = QtDialogs::createMessageBox(
                     QStringLiteral("Account has not been created. Would you like to create it "
                                    "now?"),
                     QStringLiteral("Create Account?"), Dialogs::Icon::Question,
                     Dialogs::Buttons::YesNo, show(QStringLiteral("main")))
                     .release();
    } else if (name == QLatin1String("input-box")) {
        window = QtDialogs::createInputBox(QStringLiteral("Please enter numeric password."),
                                           QStringLiteral("Password Needed"), QStringLiteral("12"),
                                           show(QStringLiteral("login")))
                     .release();
    }
    if (!window)
        return nullptr;
    window->show();
    window->raise();
    settle();
    return window;
}
