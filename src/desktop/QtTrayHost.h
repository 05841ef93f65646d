#pragma once

#include "Glint.h"
#include "QtGlint.h"

#include <QList>
#include <QPointer>
#include <QTimer>

#include <memory>

class QDBusServiceWatcher;

// Makes QtGlints for the tray protocol Qt speaks in this session. Qt follows an XEmbed tray
// that starts after the program or restarts, and registers again with a StatusNotifier
// watcher that restarts. What Qt does not do is switch protocols: when it found no
// StatusNotifier panel at start, one that comes up later gets the icons through items of the
// program's own, unless an XEmbed tray already holds them.
//
// Whether there is a tray is followed, not asked each time: the StatusNotifier watcher's bus
// name through the bus's owner-change signal, the XEmbed tray through Qt's tracker of the
// tray selection, which reports a tray that goes or comes.
class QtTrayHost : public TrayHost
{
public:
    QtTrayHost();
    ~QtTrayHost() override;

    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override { return m_available; }

private:
    void watcherChanged(const QString &owner);
    void followXEmbedTray();
    void xembedChecked();
    void follow();

    QtGlint::Host m_host = QtGlint::Host::XEmbed;
    bool m_qtSpeaksStatusNotifier = false;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    bool m_watcherPresent = false;
    bool m_xembedTray = false;
    QTimer m_xembedCheck;
    bool m_ownItems = false;
    bool m_available = false;
    QList<QPointer<QtGlint>> m_glints;
};
