#include "usopt.h"

#include "core/AppState.h"
#include "core/Windows.h"
#include "desktop/Dialogs.h"
#include "store/AccountSave.h"
#include "store/SlotTable.h"
#include "store/Store.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace {

const QRect FullNameRow = twips(3120, 240, 1695, 285);
const QRect UserNameRow = twips(3120, 600, 1695, 285);
const QRect PasswordRow = twips(3120, 960, 1695, 285);

const QString BoxStyle = QStringLiteral(
    "QLineEdit { color: $screen; background-color: $screenground; border: 1px solid $edge;"
    " padding: 0px; selection-background-color: $teal; }");
const QString PlaceholderStyle = QStringLiteral(
    "QLineEdit { color: $greyed; background-color: $greyedground; border: 1px solid $greyed; }");

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    return l;
}

QLineEdit *box(QWidget *parent, const QString &name, const QRect &rect,
               const QString &style = BoxStyle)
{
    auto *b = new QLineEdit(parent);
    b->setObjectName(name);
    b->setGeometry(rect);
    b->setStyleSheet(Palette::style(style));
    b->hide();
    b->setEnabled(false);
    return b;
}

// Bold 8.25 point, made smaller only when this system's font family would cut the caption off.
void fitCaption(QLabel *l)
{
    QFont font = Palette::layoutFont(l->font(), 8.25);
    font.setBold(true);
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(l->text()) > l->width())
        font.setPixelSize(font.pixelSize() - 1);
    l->setFont(font);
}

// A sentence for one failed write that names the account file.
QString failureText(const StoreResult &result)
{
    if (result.error == StoreResult::Error::Unencodable) {
        // The whole character, also one outside the Basic Multilingual Plane (two UTF-16 units).
        const char32_t code = result.unencodableCodePoint ? result.unencodableCodePoint
                                                          : result.unencodable.unicode();
        return QCoreApplication::translate("usopt",
                                           "The character \"%1\" (U+%2) cannot be stored in "
                                           "\"%3\".")
            .arg(QString::fromUcs4(&code, 1))
            .arg(uint(code), 4, 16, QLatin1Char('0'))
            .arg(QFileInfo(result.path).fileName());
    }
    return result.describe();
}

} // namespace

usopt::usopt(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // There is no title bar to show the caption; the task bar and screen readers still use it.
    FixedWindow::setUp(this,
                       { "usopt", tr("User Options"), twipsSize(4950, 1950),
                         QStringLiteral(":/pictures/background-account.svg") });

    us = new QListWidget(this);
    us->setObjectName(QStringLiteral("us"));
    us->setGeometry(twips(120, 240, 1935, 1035));
    us->setStyleSheet(Palette::style(
        QStringLiteral("QListWidget { color: $listblue; background-color: $screenground; }"
                       "QListWidget::item:selected { color: white;"
                       " background-color: $listselection; }")));
    us->setSelectionMode(QAbstractItemView::SingleSelection);
    us->setAccessibleName(tr("Accounts"));
    for (const Slot &slot : SlotTable::all())
        us->addItem(slot.listEntry);
    us->setCurrentRow(-1);

    // The captions reach up to the boxes, so a wider font than the one they were drawn for
    // still has room.
    Label1 = label(this, "Label1", tr("Full Name:"), twips(2160, 240, 960, 255));
    Label3 = label(this, "Label3", tr("Username:"), twips(2160, 600, 960, 255));
    Label2 = label(this, "Label2", tr("Password:"), twips(2160, 960, 960, 255));
    for (QLabel *l : { Label1, Label3, Label2 }) {
        l->setStyleSheet(
            Palette::style(QStringLiteral("QLabel { color: $ink; background: transparent; }")));
        fitCaption(l);
    }

    createBoxes();

    // One height for the three buttons, so that their lower edges line up.
    sav = PictureButton::createPair(this, QStringLiteral("sav"), tr("Save Account"),
                                    twips(120, 1440, 1980, 375));
    savp = sav->twin();
    canc = PictureButton::createPair(this, QStringLiteral("canc"), tr("Cancel"),
                                     twips(2280, 1440, 1245, 375));
    cancp = canc->twin();
    ok = PictureButton::createPair(this, QStringLiteral("ok"), tr("OK"),
                                   twips(3600, 1440, 1245, 375));
    okp = ok->twin();

    // The list first; within a slot: full name, password, user name.
    QWidget *previous = us;
    for (const SlotBoxes &boxes : std::as_const(m_slots)) {
        for (QWidget *next : { boxes.fullName, boxes.password, boxes.userName }) {
            setTabOrder(previous, next);
            previous = next;
        }
    }
    setTabOrder(previous, sav);
    setTabOrder(sav, canc);
    setTabOrder(canc, ok);

    connect(us, &QListWidget::itemSelectionChanged, this, &usopt::scheduleChoice);
    // A click on the entry already chosen is a choice too (after a wrong password, say).
    connect(us, &QListWidget::pressed, this, &usopt::scheduleChoice);
    connect(sav, &PictureButton::mouseUp, this, &usopt::sav_MouseUp);
    connect(ok, &PictureButton::mouseUp, this, &usopt::ok_MouseUp);
    connect(canc, &PictureButton::mouseUp, this, &usopt::canc_MouseUp);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void usopt::createBoxes()
{
    QLineEdit **boxes[][3] = {
        { &df, &du, &dp },    { &u1f, &u1u, &u1p }, { &u2f, &u2u, &u2p }, { &u3f, &u3u, &u3p },
        { &u4f, &u4u, &u4p }, { &u5f, &u5u, &u5p }, { &u6f, &u6u, &u6p },
    };
    const QList<Slot> &table = SlotTable::all();
    for (int i = 0; i < table.size(); ++i) {
        const QString stem = i == 0 ? QStringLiteral("d") : QStringLiteral("u%1").arg(i);
        *boxes[i][0] = box(this, stem + QLatin1Char('f'), FullNameRow);
        *boxes[i][1] = box(this, stem + QLatin1Char('u'), UserNameRow);
        *boxes[i][2] = i == 0 ? box(this, QStringLiteral("dp"), PasswordRow, PlaceholderStyle)
                              : box(this, stem + QLatin1Char('p'), PasswordRow);
        m_slots.append({ &table.at(i), *boxes[i][0], *boxes[i][1], *boxes[i][2] });
        // The seven sets of boxes share one place and one caption each: the name says whose.
        (*boxes[i][0])->setAccessibleName(tr("Full Name of %1").arg(table.at(i).listEntry));
        (*boxes[i][1])->setAccessibleName(tr("Username of %1").arg(table.at(i).listEntry));
        (*boxes[i][2])->setAccessibleName(tr("Password of %1").arg(table.at(i).listEntry));
    }
    dp->setFocusPolicy(Qt::NoFocus);
}

// The list selects on mouse press; the choice (which may open a modal question) runs once the
// press is over, and a burst of changes (a press that also selects) runs it once for the entry
// finally chosen.
void usopt::scheduleChoice()
{
    if (m_choicePending)
        return;
    m_choicePending = true;
    QTimer::singleShot(0, this, [this] {
        m_choicePending = false;
        us_Click();
    });
}

void usopt::us_Click()
{
    const QList<QListWidgetItem *> selected = us->selectedItems();
    if (selected.isEmpty())
        return;
    const QString entry = selected.first()->text();
    const auto chosen = std::find_if(m_slots.cbegin(), m_slots.cend(), [&](const SlotBoxes &b) {
        return b.slot->listEntry == entry;
    });
    if (chosen == m_slots.cend())
        return;

    for (const SlotBoxes &boxes : std::as_const(m_slots)) {
        for (QLineEdit *b : { boxes.fullName, boxes.userName, boxes.password }) {
            b->hide();
            b->setEnabled(false);
        }
    }

    const Slot &slot = *chosen->slot;
    if (slot.passwordFile.isEmpty()) {
        // Unlike the password, the stored full name is shown too: users expect to see it.
        du->setText(Store::guardedRead(m_state.dataFile(slot.userNameFile), QString()));
        df->setText(Store::guardedRead(m_state.dataFile(slot.fullNameFile), QString()));
        df->show();
        du->show();
        dp->show();
        df->setEnabled(true);
        du->setEnabled(true);
        return;
    }

    const QString stored = Store::guardedRead(m_state.dataFile(slot.passwordFile), QString());
    if (!stored.isEmpty()) {
        const QString prompt = slot.slotCode == QLatin1String("1")
            ? tr("Please enter password.")
            : tr("Please enter numeric password.");
        // The session's end closes every window, this one too, while the box waits; a closed
        // account window is deleted, so nothing of it may be touched after the box then.
        const QPointer<usopt> self(this);
        const QString answer = m_state.dialogs().inputBox(prompt, tr("Password Needed"));
        if (!self)
            return;
        if (answer != stored) {
            m_state.dialogs().messageBox(tr("The given password was not correct"),
                                         tr("Invalid Password"), Dialogs::Icon::Exclamation);
            return;
        }
    }
    chosen->password->setText(stored);
    chosen->userName->setText(Store::guardedRead(m_state.dataFile(slot.userNameFile), QString()));
    chosen->fullName->setText(Store::guardedRead(m_state.dataFile(slot.fullNameFile), QString()));
    for (QLineEdit *b : { chosen->fullName, chosen->userName, chosen->password })
        b->show();
    for (QLineEdit *b : { chosen->fullName, chosen->userName, chosen->password })
        b->setEnabled(true);
}

QString usopt::describe(const AccountFile &file)
{
    const QString &entry = file.slot->listEntry;
    switch (file.kind) {
    case AccountFile::Kind::Password:
        return tr("The password of %1").arg(entry);
    case AccountFile::Kind::UserName:
        return tr("The user name of %1").arg(entry);
    case AccountFile::Kind::FullName:
        break;
    }
    return tr("The full name of %1").arg(entry);
}

QLineEdit *usopt::boxOf(const AccountFile &file) const
{
    for (const SlotBoxes &boxes : m_slots) {
        if (boxes.slot != file.slot)
            continue;
        switch (file.kind) {
        case AccountFile::Kind::Password:
            return boxes.password;
        case AccountFile::Kind::UserName:
            return boxes.userName;
        case AccountFile::Kind::FullName:
            return boxes.fullName;
        }
    }
    return nullptr;
}

// Every failure is reported in one box, so the user knows exactly which values did not reach
// their files (the pass itself goes on past a failure).
bool usopt::saveAccounts()
{
    const QList<AccountSave::Failure> failed
        = AccountSave::save(m_state.dataFolder(), [this](const AccountFile &file) {
              const QLineEdit *box = boxOf(file);
              return box ? box->text() : QString();
          });
    if (failed.isEmpty())
        return true;
    QStringList failures;
    for (const AccountSave::Failure &failure : failed)
        failures.append(
            tr("%1 was not saved. %2").arg(describe(failure.file), failureText(failure.result)));
    m_state.dialogs().messageBox(
        tr("The account could not be saved completely. These values were not written, and "
           "their files were not changed:")
            + QLatin1String("\n\n") + failures.join(QLatin1String("\n\n")),
        tr("Account Not Saved"), Dialogs::Icon::Exclamation);
    return false;
}

void usopt::sav_MouseUp()
{
    saveAccounts();
}

void usopt::ok_MouseUp()
{
    // Closing after a failed save would throw away what could not be written.
    if (saveAccounts())
        m_state.windows().unload(this);
}

void usopt::canc_MouseUp()
{
    m_state.windows().unload(this);
}

void usopt::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager (there is no title bar): the same as Cancel.
    event->accept();
    m_state.windows().unload(this);
}

// Without a title bar the window is moved by dragging its background.
void usopt::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void usopt::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    else
        QWidget::mouseMoveEvent(event);
}

void usopt::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
