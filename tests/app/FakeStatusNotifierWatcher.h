#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariant>

// A StatusNotifier panel's watcher (org.kde.StatusNotifierWatcher) on a test's session bus:
// it records the items that register and reads their properties.
class FakeStatusNotifierWatcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit FakeStatusNotifierWatcher(const QString &busAddress, QObject *parent = nullptr);
    ~FakeStatusNotifierWatcher() override;

    bool isServing() const { return m_serving; }
    bool isHostRegistered() const { return true; }
    QStringList registeredItems() const { return items; }
    int protocolVersion() const { return 0; }

    // A property of a registered item, as the panel reads it.
    QVariant itemProperty(const QString &service, const QString &name) const;

    QStringList items;

public slots:
    void RegisterStatusNotifierItem(const QString &service);
    void RegisterStatusNotifierHost(const QString &service);

private:
    QDBusConnection m_bus;
    bool m_serving = false;
};
