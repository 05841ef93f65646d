#pragma once

#include "Glint.h"
#include "QtGlint.h"

#include <QList>
#include <QPointer>

#include <memory>

class QDBusServiceWatcher;

// Makes QtGlints for the tray protocol Qt speaks in this session. Qt follows an XEmbed tray
// that starts after the program or restarts, and registers again with a StatusNotifier
// watcher that restarts. What Qt does not do is switch protocols: when it found no
// StatusNotifier panel at start, one that comes up later gets the icons through items of the
// program's own, unless an XEmbed tray already holds them.
class QtTrayHost : public TrayHost
{
public:
    QtTrayHost();
    ~QtTrayHost() override;

    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override;

private:
    void watcherChanged(const QString &owner);

    QtGlint::Host m_host = QtGlint::Host::XEmbed;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    bool m_ownItems = false;
    QList<QPointer<QtGlint>> m_glints;
};
