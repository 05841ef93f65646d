#pragma once

#include "Glint.h"

#include <QElapsedTimer>

class QSystemTrayIcon;

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

protected:
    void apply() override;

private:
    Host m_host;
    QSystemTrayIcon *m_icon;
    QElapsedTimer m_sinceClick;
};
