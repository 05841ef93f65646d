#include "Form1.h"

#include "AppState.h"
#include "platform/Glint.h"
#include "platform/PictureButton.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {

// The window layout is given in twips; 15 twips are one device-independent pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    return l;
}

QTimer *timer(QObject *parent, const char *name)
{
    auto *t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(5);
    return t;
}

} // namespace

Form1::Form1(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Notavo 3.0"));
    setFixedSize(4665 / 15, 2145 / 15);

    Image1 = label(this, "Image1", QString(), twips(960, 120, 2445, 375));
    inb = label(this, "inb", QString(), twips(120, 720, 2175, 255));
    his = label(this, "his", QString(), twips(120, 1080, 2175, 255));
    aut = label(this, "aut", QStringLiteral("X"), twips(120, 1440, 255, 255));
    Label3 = label(this, "Label3", QStringLiteral("Auto Time"), twips(480, 1440, 1095, 255));
    autret = label(this, "autret", QStringLiteral("X"), twips(120, 1800, 255, 255));
    Label6 = label(this, "Label6", QStringLiteral("Auto Retrieve Messages"),
                   twips(480, 1800, 2655, 255));
    nam = label(this, "nam", QString(), twips(3120, 600, 1455, 375));
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twips(3120, 960, 1455, 1095));
    ret = PictureButton::createPair(this, QStringLiteral("ret"), tr("Retrieve"),
                                    twips(3240, 1080, 1200, 375));
    retp = ret->twin();
    Image2 = PictureButton::createPair(this, QStringLiteral("Image2"), tr("Menu"),
                                       twips(3240, 1560, 1200, 375));
    Image3 = Image2->twin();
    Label1 = label(this, "Label1", QStringLiteral("X"), twips(4320, 0, 375, 375));

    Timer1 = timer(this, "Timer1");
    Timer2 = timer(this, "Timer2");
    Timer3 = timer(this, "Timer3");
    Timer4 = timer(this, "Timer4");
    Glint1 = state.platform().tray.createGlint(this);
    Glint1->setObjectName(QStringLiteral("Glint1"));
    Glint2 = state.platform().tray.createGlint(this);
    Glint2->setObjectName(QStringLiteral("Glint2"));

    state.setForm1(this);
}

Form1::~Form1() = default;

void Form1::Form_Load() {}
void Form1::Timer1_Timer() {}
void Form1::Timer2_Timer() {}
void Form1::Timer3_Timer() {}
void Form1::Timer4_Timer() {}
void Form1::aut_Click() {}
void Form1::autret_Click() {}
void Form1::inb_DblClick() {}
void Form1::his_DblClick() {}
void Form1::nam_DblClick() {}
void Form1::Glint1_DblClick() {}
void Form1::Glint2_DblClick() {}
void Form1::ret_MouseDown() {}
void Form1::ret_MouseUp() {}
void Form1::PopUpTrayMenu(const QPoint &) {}
void Form1::EnterBackgroundFromMenu() {}
void Form1::EnterBackgroundFromCloseDialog() {}
void Form1::LeaveBackground() {}

QString Form1::inboxCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No New Messages.");
    if (count == 1)
        return QStringLiteral("1 New Message.");
    return QString::number(count) + QStringLiteral(" New Messages.");
}

QString Form1::historyCountText(int count)
{
    if (count == 0)
        return QStringLiteral("No Messages in History.");
    if (count == 1)
        return QStringLiteral("1 Message in History.");
    return QString::number(count) + QStringLiteral(" Messages in History.");
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void Form1::mousePressEvent(QMouseEvent *) {}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    return QWidget::eventFilter(watched, event);
}
