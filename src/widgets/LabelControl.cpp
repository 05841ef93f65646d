#include "LabelControl.h"

#include "Accessibility.h"
#include "widgets/Palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

namespace {

const char *const ControlProperty = "_notavo_labelControl";

// What a screen reader sees of a LabelControl: its role, its name (the accessible name, else
// the text it shows), its tool tip as description, its ticked state, and its action.
class LabelControlAccessible : public QAccessibleWidget
{
public:
    explicit LabelControlAccessible(QLabel *label)
        : QAccessibleWidget(label)
    { }

    LabelControl *control() const { return LabelControl::of(widget()); }

    QAccessible::Role role() const override
    {
        const LabelControl *c = control();
        if (!c)
            return QAccessible::StaticText;
        switch (c->kind()) {
        case LabelControl::Kind::CheckBox:
            return QAccessible::CheckBox;
        case LabelControl::Kind::RadioButton:
            return QAccessible::RadioButton;
        case LabelControl::Kind::Button:
            break;
        }
        return QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override
    {
        const auto *label = static_cast<const QLabel *>(widget());
        if (t == QAccessible::Name) {
            const QString name = label->accessibleName();
            return name.isEmpty() ? label->text() : name;
        }
        if (t == QAccessible::Description && label->accessibleDescription().isEmpty())
            return label->toolTip();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const LabelControl *c = control();
        if (c && c->kind() != LabelControl::Kind::Button) {
            s.checkable = true;
            s.checked = c->isChecked();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        const LabelControl *c = control();
        QStringList names;
        if (c)
            names << (c->kind() == LabelControl::Kind::Button ? pressAction() : toggleAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        LabelControl *c = control();
        if (c && widget()->isEnabled()
            && (actionName == pressAction() || actionName == toggleAction())) {
            c->activate();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *labelControlFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->property(ControlProperty).isValid())
        return new LabelControlAccessible(label);
    return nullptr;
}

} // namespace

LabelControl::LabelControl(QLabel *label, Kind kind, std::function<void()> action)
    : QObject(label)
    , m_kind(kind)
    , m_nameFollowsText(label->accessibleName().isEmpty())
    , m_action(std::move(action))
    , m_announced(label->text())
{
    setObjectName(label->objectName() + QStringLiteral("Control"));
}

LabelControl *LabelControl::attach(QLabel *label, Kind kind, std::function<void()> action)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(labelControlFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    auto *control = new LabelControl(label, kind, std::move(action));
    label->setProperty(ControlProperty, QVariant::fromValue(static_cast<QObject *>(control)));
    // Only Tab gives the focus: a click keeps working on the label as it always did.
    label->setFocusPolicy(Qt::TabFocus);
    // The accent yellow behind the focused label, so a keyboard user sees at a glance where
    // Space acts (a dotted frame was lost in the marks' own boxes).
    label->setStyleSheet(
        Palette::style(label->styleSheet()
                       + QStringLiteral("QLabel:focus { background-color: $focus;"
                                        " border: 1px solid $ink; border-radius: 2px; }")));
    label->installEventFilter(control);

    // An interface made for the label before it became a control (setting its accessible name
    // makes one) would keep describing it as plain text.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(label)) {
        if (!dynamic_cast<LabelControlAccessible *>(made))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
    return control;
}

LabelControl *LabelControl::of(const QWidget *widget)
{
    if (!widget)
        return nullptr;
    return qobject_cast<LabelControl *>(widget->property(ControlProperty).value<QObject *>());
}

QLabel *LabelControl::label() const
{
    return static_cast<QLabel *>(parent());
}

bool LabelControl::isChecked() const
{
    return !label()->text().isEmpty();
}

void LabelControl::activate()
{
    // The action may unload the window the label is on.
    const QPointer<LabelControl> alive(this);
    if (m_action)
        m_action();
    if (alive)
        announceIfChanged();
}

void LabelControl::noteAnnounced()
{
    m_announced = label()->text();
}

void LabelControl::announceIfChanged()
{
    const QString text = label()->text();
    if (text == m_announced)
        return;
    m_announced = text;
    announceTextChange(label());
}

bool LabelControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != parent())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Space || key->key() == Qt::Key_Return
             || key->key() == Qt::Key_Enter)
            && !key->isAutoRepeat() && (key->modifiers() & ~Qt::KeypadModifier) == 0) {
            activate();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The window's handler runs after this filter: look at the text once it has.
        QMetaObject::invokeMethod(this, &LabelControl::announceIfChanged, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}
