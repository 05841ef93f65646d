#pragma once

#include "Glint.h"

#include <QElapsedTimer>

class QSystemTrayIcon;
class StatusNotifierItem;

// Glint over QSystemTrayIcon.
class QtGlint : public Glint
{
    Q_OBJECT
public:
    // How the tray host reports a double-click: XEmbed trays pass every click and double-click
    // on; StatusNotifierItem hosts send one activation for whatever the user did.
    enum class Host { XEmbed, StatusNotifier };

    explicit QtGlint(Host host, QObject *parent = nullptr);

    // One activation report of the tray icon (a QSystemTrayIcon::ActivationReason).
    void activated(int reason);

    // A StatusNotifier panel that Qt does not speak to (it came up after the program): the
    // icon goes there through an item of its own.
    void setStatusNotifier(bool on);
    StatusNotifierItem *statusNotifierItem() const { return m_item; }

protected:
    void apply() override;

private:
    Host m_host;
    QSystemTrayIcon *m_icon;
    StatusNotifierItem *m_item = nullptr;
    QElapsedTimer m_sinceClick;
};
