#include "Form7.h"

#include "Form1.h"
#include "WindowRegistry.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/Picture.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

Form7::Form7(WindowRegistry &windows, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_windows(windows)
{
    FixedWindow::setUp(this,
                       { "Form7", QStringLiteral("Notavo"), twipsSize(6015, 2760),
                         QStringLiteral(":/pictures/background-splash.svg"), true });
    setStyleSheet(Palette::style(QStringLiteral("QLabel { color: $ink; }")));

    Image1 = new Picture(QStringLiteral("Image1"), QStringLiteral(":/pictures/title.svg"), this);
    Image1->setGeometry(twips(1200, 480, 3615, 555));

    Label2 = new QLabel(tr("Thankyou for using Notavo"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(240, 1320, 5535, 480));
    Label2->setAlignment(Qt::AlignCenter);
    QFont large = Palette::layoutFont(font(), 14);
    large.setBold(true);
    Label2->setFont(large);

    Label1 = new QLabel(tr("Notavo Software, 1997"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(240, 2160, 5535, 300));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setStyleSheet(Palette::style(QStringLiteral("color: $deepteal;")));

    // Ticks once: the first tick unloads the window.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(Duration);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Form7::Timer1_Timer);
    Timer1->start();

    if (QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());
}

void Form7::Timer1_Timer()
{
    if (m_ended)
        return;
    m_ended = true;
    Timer1->stop();
    m_windows.unload(this);
    if (Form1 *main = m_windows.form1())
        main->show();
}

void Form7::closeEvent(QCloseEvent *event)
{
    // A splash closed early must still bring the main window, or nothing would show it.
    event->accept();
    Timer1_Timer();
}
