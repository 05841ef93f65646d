#include "QtGlint.h"

#include <QSystemTrayIcon>

QtGlint::QtGlint(QObject *parent)
    : Glint(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Some tray hosts report only a single activation; treat both as the
                // double-click users are told to make.
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    emit DblClick();
            });
}

void QtGlint::apply()
{
    m_icon->setIcon(currentIcon());
    m_icon->setToolTip(tiptext());
    m_icon->setVisible(InTray());
}

Glint *QtTrayHost::createGlint(QObject *parent)
{
    return new QtGlint(parent);
}

bool QtTrayHost::isSystemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
