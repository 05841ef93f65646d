#include "QtGlint.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QSystemTrayIcon>

QtGlint::QtGlint(Host host, QObject *parent)
    : Glint(parent)
    , m_host(host)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { activated(int(reason)); });
}

void QtGlint::activated(int reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        // A host that cannot report a double-click sends its one activation: that is the
        // double-click users are told to make. Elsewhere a single click does nothing.
        if (m_host == Host::XEmbed)
            return;
        m_sinceClick.start();
        emit DblClick();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        // Should a host report the click and then the double-click of one gesture, the second
        // report is dropped.
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
