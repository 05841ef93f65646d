// The main window itself: its controls, their wiring and the start-up sequence.
#include "Form1.h"

#include "BackgroundMode.h"
#include "Form7.h"
#include "WindowRegistry.h"
#include "core/AppState.h"
#include "desktop/Glint.h"
#include "desktop/Notifier.h"
#include "desktop/ShellLink.h"
#include "fs/FileList.h"
#include "fs/PathFunctions.h"
#include "fs/SafeFile.h"
#include "store/Store.h"
#include "widgets/Accessibility.h"
#include "widgets/FixedWindow.h"
#include "widgets/LabelControl.h"
#include "widgets/OptionMark.h"
#include "widgets/Palette.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QTimer>

#include <iterator>

namespace {

const char *const StartupFile = "st.kfl";
const int Label1Size = 18;
const int Label1PressedSize = 12;
// A temporary older than this was left by a copy that crashed while writing.
const int StaleTemporarySeconds = 3600;

QFont pointFont(const QFont &base, int points, bool bold)
{
    QFont font = Palette::layoutFont(base, points);
    font.setBold(bold);
    return font;
}

} // namespace

Form1::Form1(WindowRegistry &windows, QWidget *parent)
    : QWidget(parent)
    , m_windows(windows)
    , m_state(windows.state())
{
    FixedWindow::setUp(this,
                       { "Form1", caption(), twipsSize(4665, 2145),
                         QStringLiteral(":/pictures/background-main.svg"), true });
    buildControls();
    connectControls();
    followState();
    followPolling();
    windows.setForm1(this);

    m_polling->start();
}

Form1::~Form1() = default;

QLabel *Form1::addLabel(const char *name, const QString &text, const QRect &rect)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    // A stored value (a full name such as "<b>Ann</b>") is shown as it is, never as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

void Form1::buildControls()
{
    // The picture draws the boxes of the marks, of the name and the frame of the buttons.
    setStyleSheet(Palette::style(QStringLiteral("QLabel { color: $ink; }"
                                                "QLabel#inb, QLabel#his { color: $deepteal; }"
                                                "QLabel#Label1 { color: $alert; }")));

    Image1 = new Picture(QStringLiteral("Image1"), QStringLiteral(":/pictures/title.svg"), this);
    Image1->setGeometry(twips(960, 120, 2445, 375));
    Image1->setAccessibleName(caption());

    const QFont base = font();
    inb = addLabel("inb", QString(), twips(120, 720, 2175, 255));
    his = addLabel("his", QString(), twips(120, 1080, 2175, 255));
    inb->setFont(pointFont(base, 9, false));
    his->setFont(pointFont(base, 9, false));
    inb->setToolTip(tr("Double-click to open the inbox"));
    his->setToolTip(tr("Double-click to open the History"));

    // The marks show the options; they follow them from here on (followState).
    aut = addLabel("aut", OptionMark::text(m_state.autoTime()), twips(120, 1440, 255, 255));
    Label3 = addLabel("Label3", tr("Auto Time"), twips(480, 1440, 1095, 255));
    autret
        = addLabel("autret", OptionMark::text(m_state.autoRetrieve()), twips(120, 1800, 255, 255));
    Label6 = addLabel("Label6", tr("Auto Retrieve Messages"), twips(480, 1800, 2655, 255));
    for (QLabel *mark : { aut, autret }) {
        mark->setFont(pointFont(base, 9, true));
        mark->setAlignment(Qt::AlignCenter);
        mark->setCursor(Qt::PointingHandCursor);
    }
    aut->setAccessibleName(tr("Auto Time"));
    autret->setAccessibleName(tr("Auto Retrieve Messages"));

    nam = addLabel("nam", QString(), twips(3120, 600, 1455, 375));
    nam->setFont(pointFont(base, 9, true));
    nam->setAlignment(Qt::AlignCenter);
    nam->setToolTip(tr("Double-click to log into an account"));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twips(3120, 960, 1455, 1095));
    Shape1->setFrameShape(QFrame::NoFrame);

    ret = PictureButton::createPair(this, QStringLiteral("ret"), tr("Retrieve"),
                                    twips(3240, 1080, 1200, 375), tr("Retrieve messages now"));
    retp = ret->twin();
    Image2 = PictureButton::createPair(this, QStringLiteral("Image2"), tr("Menu"),
                                       twips(3240, 1560, 1200, 375), tr("Open the menu"));
    Image3 = Image2->twin();

    Label1 = addLabel("Label1", QStringLiteral("X"), twips(4320, 0, 375, 375));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(tr("Close"));
    Label1->setAccessibleName(tr("Close"));
    setLabel1Pressed(false);

    // ImageList1: the new-message icon is picture 1, the background icon picture 2.
    const QList<QIcon> imageList { QIcon(QStringLiteral(":/pictures/tray-new-message.svg")),
                                   QIcon(QStringLiteral(":/pictures/tray-background.svg")) };
    Glint1 = m_state.platform().tray.createGlint(this);
    Glint1->setObjectName(QStringLiteral("Glint1"));
    Glint1->setImagelist(imageList);
    Glint1->setTiptext(QStringLiteral("New Message!"));
    Glint1->setImagenumber(1);
    Glint2 = m_state.platform().tray.createGlint(this);
    Glint2->setObjectName(QStringLiteral("Glint2"));
    Glint2->setImagelist(imageList);
    Glint2->setTiptext(QStringLiteral("Courivo Running in Background"));
    Glint2->setImagenumber(2);
}

void Form1::connectControls()
{
    connect(Glint1, &Glint::DblClick, this, &Form1::Glint1_DblClick);
    connect(Glint2, &Glint::DblClick, this, &Form1::Glint2_DblClick);
    m_backgroundMode = new BackgroundMode(*this, *Glint2, m_windows, m_state);
    connect(m_backgroundMode, &BackgroundMode::left, this, [this] { Timer2->start(); });
    // Choosing the desktop notification does what a double-click on its tray icon does.
    connect(&m_state.platform().notifier, &Notifier::activated, this, &Form1::Glint1_DblClick);
    connect(ret, &PictureButton::mouseDown, this, &Form1::ret_MouseDown);
    connect(ret, &PictureButton::mouseUp, this, &Form1::ret_MouseUp);
    connect(Image2, &PictureButton::mouseUp, this, &Form1::Image2_MouseUp);
    for (QLabel *label : { inb, his, aut, autret, nam, Label1 })
        label->installEventFilter(this);

    // The labels that act as controls work from the keyboard (Tab, then Space or Enter) and
    // for screen readers too; a count or the name opens what its double-click opens.
    using Kind = LabelControl::Kind;
    LabelControl::attach(inb, Kind::Button, [this] { inb_DblClick(); });
    LabelControl::attach(his, Kind::Button, [this] { his_DblClick(); });
    LabelControl::attach(aut, Kind::CheckBox, [this] { aut_Click(); });
    LabelControl::attach(autret, Kind::CheckBox, [this] { autret_Click(); });
    LabelControl::attach(nam, Kind::Button, [this] { nam_DblClick(); });
    LabelControl::attach(Label1, Kind::Button, [this] { Label1_MouseUp(); });
    // Down the left column, then the right one; the close mark last.
    QWidget *order[] = { inb, his, aut, autret, nam, ret, Image2, Label1 };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // The window itself holds the focus at first, so a key pressed before the user chose a
    // control does nothing (on a control, Space or Enter would retrieve or open); the first
    // Tab goes to the first control.
    setFocusPolicy(Qt::ClickFocus);
    setFocus();
}

void Form1::Form_Load()
{
    // Every step runs even when an earlier one failed, and none reports anything.
    QDir().mkdir(m_state.historyFolder());
    SafeFile::removeStaleTemporaries(m_state.dataFolder(), StaleTemporarySeconds);
    SafeFile::removeStaleTemporaries(m_state.historyFolder(), StaleTemporarySeconds);

    // The splash shows the main window when it ends.
    m_windows.form7().show();
    hide();

    m_state.inboxList().setPath(m_state.dataFolder());
    m_state.historyList().setPath(m_state.historyFolder());
    showUserName(QStringLiteral("Default User"));
    m_state.setSlotCode(QStringLiteral("d"));

    QString runAtStartup
        = Store::guardedRead(m_state.dataFile(QLatin1String(StartupFile)), QStringLiteral("yes"));
    if (runAtStartup.isEmpty())
        runAtStartup = QStringLiteral("yes");
    // The menu's check follows.
    m_state.setRunAtStartup(runAtStartup != QLatin1String("no"));
    if (!m_state.runAtStartup())
        return;
    m_state.platform().shellLink.fCreateShellLink(
        QStringLiteral("StartUp"), QStringLiteral("Notavo"),
        AddBackslash(m_state.dataFolder()) + m_state.executableName, QString());
}

void Form1::showUserName(const QString &name)
{
    nam->setText(name);
    // Its accessible name is the name shown, told to screen readers at each change.
    announceTextChange(nam);
}

void Form1::setLabel1Pressed(bool pressed)
{
    Label1->setFont(pointFont(font(), pressed ? Label1PressedSize : Label1Size, true));
    Label1->setText(pressed ? QStringLiteral("o") : QStringLiteral("X"));
}

// The background is BackgroundMode's; these are the names the other windows know.
void Form1::EnterBackground(Windows::BackgroundRoute route)
{
    m_backgroundMode->enter(route);
}

void Form1::LeaveBackground()
{
    m_backgroundMode->leave();
}

bool Form1::inBackground() const
{
    return m_backgroundMode->active();
}

void Form1::bringForward()
{
    m_backgroundMode->bringForward();
}

void Form1::Glint2_DblClick()
{
    LeaveBackground();
}
