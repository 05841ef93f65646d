#pragma once

#include "Glint.h"
#include "QtGlint.h"

// Makes QtGlints for the tray protocol Qt speaks in this session. Qt follows an XEmbed tray
// that starts after the program or restarts, and registers again with a StatusNotifier
// watcher that restarts, so shown icons come back by themselves.
class QtTrayHost : public TrayHost
{
public:
    QtTrayHost();

    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override;

private:
    QtGlint::Host m_host = QtGlint::Host::XEmbed;
};
