#pragma once

#include "Glint.h"

class QSystemTrayIcon;

// Glint over QSystemTrayIcon.
class QtGlint : public Glint
{
    Q_OBJECT
public:
    explicit QtGlint(QObject *parent = nullptr);

protected:
    void apply() override;

private:
    QSystemTrayIcon *m_icon;
};

class QtTrayHost : public TrayHost
{
public:
    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override;
};
