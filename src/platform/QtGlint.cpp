#include "QtGlint.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QSystemTrayIcon>

QtGlint::QtGlint(QObject *parent)
    : Glint(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { activated(int(reason)); });
}

void QtGlint::activated(int reason)
{
    // Tray hosts speaking the StatusNotifier protocol report only a single activation, so a
    // click counts as the double-click users are told to make. Hosts that do report double
    // clicks send a click first; that second report of the same gesture is dropped.
    if (reason == QSystemTrayIcon::Trigger) {
        m_sinceClick.start();
        emit DblClick();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        if (!m_sinceClick.isValid() || m_sinceClick.elapsed() > interval)
            emit DblClick();
        m_sinceClick.invalidate();
    }
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
