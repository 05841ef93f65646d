#pragma once

#include "Glint.h"

#include <QElapsedTimer>

class QSystemTrayIcon;

// Glint over QSystemTrayIcon.
class QtGlint : public Glint
{
    Q_OBJECT
public:
    explicit QtGlint(QObject *parent = nullptr);

    // One activation report of the tray icon (a QSystemTrayIcon::ActivationReason).
    void activated(int reason);

protected:
    void apply() override;

private:
    QSystemTrayIcon *m_icon;
    QElapsedTimer m_sinceClick;
};

class QtTrayHost : public TrayHost
{
public:
    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override;
};
