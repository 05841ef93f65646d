#include "QtGlint.h"

#include "StatusNotifierItem.h"

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

void QtGlint::setStatusNotifier(bool on)
{
    if (on == (m_item != nullptr))
        return;
    if (on) {
        m_item = new StatusNotifierItem(this);
        // Such a panel sends one activation for whatever the user did.
        connect(m_item, &StatusNotifierItem::activated, this, &Glint::DblClick);
    } else {
        delete m_item;
        m_item = nullptr;
    }
    apply();
}

void QtGlint::apply()
{
    m_icon->setIcon(currentIcon());
    m_icon->setToolTip(tiptext());
    // One icon in one tray: while the item serves, Qt's icon stays out.
    m_icon->setVisible(InTray() && !m_item);
    if (m_item)
        m_item->update(currentIcon(), tiptext(), InTray());
}
