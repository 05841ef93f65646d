#include "Form6.h"

#include "WindowRegistry.h"
#include "core/AppState.h"
#include "widgets/FixedWindow.h"
#include "widgets/LabelControl.h"
#include "widgets/OptionMark.h"
#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

Form6::Form6(WindowRegistry &windows, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_windows(windows)
{
    FixedWindow::setUp(this,
                       { "Form6", QStringLiteral("Quit Notavo"), twipsSize(4500, 2400),
                         QStringLiteral(":/pictures/background-close.svg"), true });
    setStyleSheet(Palette::style(
        QStringLiteral("QLabel { color: $ink; }"
                       "QLabel#qui, QLabel#min { background: $white; border: 1px solid $teal;"
                       " font-weight: bold; }")));

    qui = addLabel("qui", OptionMark::text(m_choice == Choice::Quit), twips(480, 540, 255, 255));
    Label1 = addLabel("Label1", tr("Quit Notavo"), twips(900, 510, 3300, 315));
    min = addLabel("min", OptionMark::text(m_choice == Choice::Background),
                   twips(480, 1020, 255, 255));
    Label2 = addLabel("Label2", tr("Run in background"), twips(900, 990, 3300, 315));
    qui->setAlignment(Qt::AlignCenter);
    min->setAlignment(Qt::AlignCenter);
    qui->setAccessibleName(Label1->text());
    min->setAccessibleName(Label2->text());

    oki = PictureButton::createPair(this, QStringLiteral("oki"), tr("OK"),
                                    twips(600, 1680, 1500, 435));
    okip = oki->twin();
    can = PictureButton::createPair(this, QStringLiteral("can"), tr("Cancel"),
                                    twips(2400, 1680, 1500, 435));
    canp = can->twin();
    connect(oki, &PictureButton::mouseUp, this, &Form6::oki_MouseUp);
    connect(can, &PictureButton::mouseUp, this, &Form6::can_MouseUp);

    // The marks are a choice of two from the keyboard (Tab, then Space; or Up and Down) and
    // for screen readers too.
    LabelControl::attach(qui, LabelControl::Kind::RadioButton, [this] { qui_Click(); });
    LabelControl::attach(min, LabelControl::Kind::RadioButton, [this] { min_Click(); });
    setTabOrder(qui, min);
    setTabOrder(min, oki);
    setTabOrder(oki, can);
    oki->setFocus();
}

QLabel *Form6::addLabel(const char *name, const QString &text, const QRect &rect)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
}

void Form6::setChoice(Choice choice)
{
    m_choice = choice;
    qui->setText(OptionMark::text(choice == Choice::Quit));
    min->setText(OptionMark::text(choice == Choice::Background));
}

// Clicking the chosen mark changes nothing; the other one moves the choice.
void Form6::qui_Click()
{
    setChoice(Choice::Quit);
}

void Form6::min_Click()
{
    setChoice(Choice::Background);
}

void Form6::oki_MouseUp()
{
    if (m_choice == Choice::Quit) {
        // At once: no window is asked, nothing is saved.
        m_windows.state().quitProgram();
        return;
    }
    m_windows.enterBackground(Windows::BackgroundRoute::CloseDialog);
    m_windows.unload(this);
}

void Form6::can_MouseUp()
{
    m_windows.unload(this);
}

void Form6::closeEvent(QCloseEvent *event)
{
    // Closing the dialog's window is a cancel.
    event->accept();
    m_windows.unload(this);
}

void Form6::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        qui_Click();
        break;
    case Qt::Key_Down:
        min_Click();
        break;
    case Qt::Key_Escape:
        can_MouseUp();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool Form6::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == qui || watched == Label1)
            qui_Click();
        else if (watched == min || watched == Label2)
            min_Click();
    }
    return QWidget::eventFilter(watched, event);
}
