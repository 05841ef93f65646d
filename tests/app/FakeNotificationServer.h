#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A desktop's notification service (org.freedesktop.Notifications) on a test's session bus,
// recording what it was asked to show and close.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotificationServer(const QString &busAddress, QObject *parent = nullptr);
    ~FakeNotificationServer() override;

    bool isServing() const { return m_serving; }

    struct Shown
    {
        uint id;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        // The picture came as pixels (the image-data hint), which needs no icon theme.
        bool picture;
    };
    QList<Shown> shown;
    QList<uint> closed;

    // What the desktop sends when the user clicks the notification.
    void click(uint id);

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout);
    void CloseNotification(uint id);
    QStringList GetCapabilities() const;
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion) const;

signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString &actionKey);

private:
    QDBusConnection m_bus;
    bool m_serving = false;
    uint m_next = 1;
};
