#pragma once

#include <QObject>
#include <QString>

// One desktop notification of the program's own: shown, replaced in place, withdrawn. Where
// the desktop has no notification service nothing is shown and nothing is reported.
class Notifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows the notification, or replaces the one still shown.
    virtual void notify(const QString &title, const QString &body) = 0;
    // Takes the notification away; nothing happens when none is shown.
    virtual void withdraw() = 0;

signals:
    // The user chose the notification itself (its default action).
    void activated();
};
