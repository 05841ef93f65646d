#include "Accessibility.h"

#include "LabelControl.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>

void announceTextChange(QWidget *label)
{
    if (!label)
        return;
    LabelControl *control = LabelControl::of(label);
    if (control)
        control->noteAnnounced();
    if (control && !control->nameFollowsText() && control->kind() == LabelControl::Kind::Button)
        return; // a fixed name ("Close"): the text is only a picture of the state
    if (control && control->kind() != LabelControl::Kind::Button) {
        // A mark keeps its name ("Auto Time"); what changed is whether it is ticked.
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(label, changed);
        QAccessible::updateAccessibility(&event);
        return;
    }

    QString text;
    if (const auto *plain = qobject_cast<const QLabel *>(label))
        text = plain->text();
    else if (const auto *button = qobject_cast<const QAbstractButton *>(label))
        text = button->text();
    else
        return;
    label->setAccessibleName(text);
    // Also for the same text again (a count that went and came back): read out once more.
    QAccessibleEvent event(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}
