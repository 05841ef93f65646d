#include "newmes.h"

#include "MessageTextEdit.h"
#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Clock.h"
#include "desktop/Dialogs.h"
#include "store/ComposedMessage.h"
#include "store/NamedMessage.h"
#include "widgets/FileListBox.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {

// The clock follows Auto Time whether the window is shown or not. Hidden, nobody sees its
// fields, so it barely ticks (an idle program pays for every wake-up) and catches up the
// moment the window appears.
constexpr int ShownClockMs = 200;
constexpr int HiddenClockMs = 60000;

const char *const FieldStyle = "color: $screen; background-color: $screenground;";

QLabel *caption(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    // Navy on the pale picture, as the captions of the other windows.
    label->setStyleSheet(Palette::style(QStringLiteral("color: $ink; font-weight: bold;")));
    return label;
}

QLineEdit *field(QWidget *parent, const char *name, const QRect &rect)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(rect);
    edit->setStyleSheet(Palette::style(QLatin1String(FieldStyle)));
    return edit;
}

QComboBox *combo(QWidget *parent, const char *name, const QStringList &items, const QRect &rect)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->addItems(items);
    // Typed text is the value; it never becomes a new list item.
    box->setInsertPolicy(QComboBox::NoInsert);
    // Nor is it completed: the completer's case-blind match would turn "user 2" into "User 2"
    // (another recipient) and "asap" into "ASAP". A list choice still fills the box.
    box->setCompleter(nullptr);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
    box->setGeometry(rect);
    box->setStyleSheet(Palette::style(QLatin1String(FieldStyle)));
    return box;
}

} // namespace

newmes::newmes(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    FixedWindow::setUp(this,
                       { "newmes", QStringLiteral("New Message"), QSize(360, 334),
                         QStringLiteral(":/pictures/background-compose.svg") });

    QLabel *label1 = caption(this, "Label1", tr("To:"), QRect(8, 12, 60, 22));
    t = combo(this, "t",
              { QStringLiteral("User 1"), QStringLiteral("User 2"), QStringLiteral("User 3"),
                QStringLiteral("User 4"), QStringLiteral("User 5"), QStringLiteral("User 6") },
              QRect(70, 12, 130, 22));
    QLabel *label2 = caption(this, "Label2", tr("Priority:"), QRect(8, 40, 60, 22));
    pri = combo(this, "pri",
                { QStringLiteral("Emergency"), QStringLiteral("Urgent"), QStringLiteral("ASAP"),
                  QStringLiteral("Normal"), QStringLiteral("Low") },
                QRect(70, 40, 130, 22));
    QLabel *label3 = caption(this, "Label3", tr("From:"), QRect(8, 68, 60, 22));
    fro = field(this, "fro", QRect(70, 68, 282, 22));
    QLabel *label4 = caption(this, "Label4", tr("Date:"), QRect(208, 12, 42, 22));
    dat = field(this, "dat", QRect(252, 12, 100, 22));
    QLabel *label5 = caption(this, "Label5", tr("Time:"), QRect(208, 40, 42, 22));
    tim = field(this, "tim", QRect(252, 40, 100, 22));

    // Each caption names its box for screen readers: as its buddy (the relation a reader
    // follows) and as the box's name, without the colon.
    const std::pair<QLabel *, QWidget *> captioned[]
        = { { label1, t }, { label2, pri }, { label3, fro }, { label4, dat }, { label5, tim } };
    for (const auto &[label, box] : captioned) {
        label->setBuddy(box);
        box->setAccessibleName(label->text().chopped(1));
    }

    Text3 = new MessageTextEdit(QStringLiteral("Text3"), this);
    Text3->setGeometry(8, 98, 344, 190);
    Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text3->setStyleSheet(Palette::style(QLatin1String(FieldStyle)));
    Text3->setAccessibleName(tr("Message"));

    ok = PictureButton::createPair(this, QStringLiteral("ok"), tr("OK"), QRect(196, 298, 76, 25),
                                   tr("Send this message"));
    okp = ok->twin();
    canc = PictureButton::createPair(this, QStringLiteral("canc"), tr("Cancel"),
                                     QRect(276, 298, 76, 25), tr("Close without sending"));
    cancp = canc->twin();
    connect(ok, &PictureButton::mouseUp, this, &newmes::ok_MouseUp);
    connect(canc, &PictureButton::mouseUp, this, &newmes::canc_MouseUp);

    setTabOrder(t, pri);
    setTabOrder(pri, fro);
    setTabOrder(fro, dat);
    setTabOrder(dat, tim);
    setTabOrder(tim, Text3);
    setTabOrder(Text3, ok);
    setTabOrder(ok, canc);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(HiddenClockMs);
    connect(Timer1, &QTimer::timeout, this, &newmes::Timer1_Timer);
    connect(&state, &AppState::autoTimeChanged, this, &newmes::followAutoTime);
}

void newmes::clearFields()
{
    tim->clear();
    pri->setEditText(QString());
    dat->clear();
    t->setEditText(QString());
    fro->clear();
    Text3->clear();
}

void newmes::followAutoTime()
{
    if (m_state.autoTime()) {
        if (!Timer1->isActive())
            Timer1->start();
    } else if (Timer1->isActive()) {
        Timer1->stop();
    }
}

void newmes::Timer1_Timer()
{
    const Clock &clock = m_state.platform().clock;
    const QString now = clock.shortTime();
    if (tim->text() != now)
        tim->setText(now);
    const QString today = clock.shortDate();
    if (dat->text() != today)
        dat->setText(today);
}

QString newmes::firstEmptyField() const
{
    if (dat->text().isEmpty())
        return dat->objectName();
    if (tim->text().isEmpty())
        return tim->objectName();
    if (t->currentText().isEmpty())
        return t->objectName();
    if (fro->text().isEmpty())
        return fro->objectName();
    if (pri->currentText().isEmpty())
        return pri->objectName();
    if (Text3->messageText().isEmpty())
        return Text3->objectName();
    return QString();
}

ComposedMessage newmes::message() const
{
    return { tim->text(),      dat->text(), pri->currentText(),
             t->currentText(), fro->text(), Text3->messageText() };
}

void newmes::ok_MouseUp()
{
    Dialogs &dialogs = m_state.dialogs();
    if (!firstEmptyField().isEmpty()) {
        dialogs.messageBox(QStringLiteral("Please fill in all fields"),
                           QStringLiteral("Field Required"), Dialogs::Icon::Exclamation);
        return;
    }

    const ComposedMessage composed = message();
    const QString content = composed.content(composed.recipientFullName(m_state.dataFolder()));

    AppState &state = m_state;
    // The session's end may close and delete this window while the box waits: after it, only
    // the state and this guard are used.
    const QPointer<newmes> self(this);
    const QString name = dialogs.inputBox(QStringLiteral("Please type message name"),
                                          QStringLiteral("Message Name"));
    if (!name.isEmpty()) {
        // The recipient's code is always one of the table's, so Save As's completion gives
        // name + ".ms" + the slot's letter.
        const StoreResult written
            = Store::writeNamedMessage(state.dataFolder(), name, composed.slotCode(), content);
        if (!written.ok()) {
            if (written.error == StoreResult::Error::NotFound
                || written.error == StoreResult::Error::InvalidName) {
                dialogs.messageBox(QStringLiteral("Invalid Message Name"),
                                   QStringLiteral("Invalid"), Dialogs::Icon::Exclamation);
                state.windows().unload(self);
            } else {
                // Anything else (a character the file cannot hold, a full disk) keeps the
                // window and its fields so the sender can fix it and try again.
                dialogs.messageBox(written.describe(), tr("Message Not Sent"),
                                   Dialogs::Icon::Exclamation);
            }
            return;
        }
        state.windows().unload(self);
    }
    if (state.autoRetrieve())
        state.windows().refreshBrowser();
}

void newmes::canc_MouseUp()
{
    m_state.windows().unload(this);
}

void newmes::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Timer1->setInterval(ShownClockMs);
    if (Timer1->isActive())
        Timer1_Timer();
}

void newmes::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Timer1->setInterval(HiddenClockMs);
}

void newmes::closeEvent(QCloseEvent *event)
{
    // Closing from the title bar is Cancel.
    if (m_state.windows().isLoaded(this))
        m_state.windows().unload(this);
    event->accept();
}
