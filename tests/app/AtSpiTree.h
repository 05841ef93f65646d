#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>

// Reads what a screen reader reads: the accessible objects an application publishes over
// AT-SPI. It also stands in for the accessibility bus launcher of a desktop session (the
// service a program asks where the accessibility bus is): the bus it is given serves as both.
class AtSpiTree : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Bus")
public:
    explicit AtSpiTree(const QString &busAddress, QObject *parent = nullptr);
    ~AtSpiTree() override;

    bool isServing() const { return m_serving; }

    struct Object
    {
        QString role; // "push button", "check box", ...
        QString name;
    };
    // Every object of the application called applicationName, depth first; empty when no such
    // application answers.
    QList<Object> objects(const QString &applicationName) const;

public slots:
    QString GetAddress() const { return m_address; }

private:
    QString property(const QString &service, const QString &path, const QString &name) const;
    void collect(const QString &service, const QString &path, QList<Object> *into, int depth) const;

    QString m_address;
    QDBusConnection m_bus;
    bool m_serving = false;
};
