#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

// One picture of a StatusNotifierItem: ARGB32 in network byte order.
struct StatusNotifierPixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

struct StatusNotifierToolTip
{
    QString iconName;
    StatusNotifierPixmaps pixmaps;
    QString title;
    QString text;
};

Q_DECLARE_METATYPE(StatusNotifierPixmap)
Q_DECLARE_METATYPE(StatusNotifierToolTip)

// A tray icon that speaks the StatusNotifierItem protocol itself. Qt picks its tray protocol
// once, when the first icon is made; a StatusNotifier panel that comes up later (a desktop
// whose panel starts after the autostart programs) is reached through this instead.
class StatusNotifierItem : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(StatusNotifierPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    // The rest of the item's properties, asked by panels: no attention or overlay picture, no
    // theme folder, and no menu (the program's menu opens from its window).
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(StatusNotifierPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(StatusNotifierPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit StatusNotifierItem(QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Shows the icon with its tool-tip in the panel, or takes it out.
    void update(const QIcon &icon, const QString &title, bool shown);

    QString category() const { return QStringLiteral("Communications"); }
    QString id() const { return QStringLiteral("Notavo"); }
    QString title() const { return m_title; }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconName() const { return QString(); }
    StatusNotifierPixmaps iconPixmap() const { return m_pixmaps; }
    StatusNotifierToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    QString noName() const { return QString(); }
    StatusNotifierPixmaps noPixmaps() const { return {}; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString &orientation);

signals:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);
    // The panel's one activation: a click or a double-click, whichever the panel takes.
    void activated();

private:
    void registerWithPanel();

    QString m_connectionName;
    QString m_service;
    QDBusConnection m_bus;
    bool m_shown = false;
    QString m_title;
    qint64 m_iconKey = 0;
    StatusNotifierPixmaps m_pixmaps;
};
