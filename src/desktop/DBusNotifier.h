#pragma once

#include "Notifier.h"

#include <QDBusConnection>

class QDBusPendingCall;

// Notifier over org.freedesktop.Notifications. Calls never block: a wish made while a call is
// on its way is sent when the answer is in, so the notification is replaced rather than
// stacked, and a missing service only costs an error reply that is dropped.
class DBusNotifier : public Notifier
{
    Q_OBJECT
public:
    explicit DBusNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                          QObject *parent = nullptr);

    void notify(const QString &title, const QString &body) override;
    void withdraw() override;

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    void send();
    void call(const QString &method, const QVariantList &arguments);
    void answered(QDBusPendingCall *call, const QString &method);

    QDBusConnection m_bus;
    // The server's id of the shown notification; 0 when none is shown.
    uint m_id = 0;
    bool m_pending = false;
    bool m_dirty = false;
    bool m_wanted = false;
    // Whether the server reads the body as markup; asked once, before the first notification.
    bool m_capabilitiesKnown = false;
    bool m_bodyMarkup = false;
    QString m_title;
    QString m_body;
};
