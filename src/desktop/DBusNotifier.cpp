#include "DBusNotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

// The notification's picture as pixels ("image-data": iiibiiay, RGBA bytes).
struct NotificationImage
{
    QImage image;
};
Q_DECLARE_METATYPE(NotificationImage)

QDBusArgument &operator<<(QDBusArgument &argument, const NotificationImage &picture)
{
    const QImage &image = picture.image;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, NotificationImage &)
{
    return argument;
}

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");

// The program's own icon goes with the notification: a PC where the office folder has no
// menu entry has no icon of that name in its theme.
QVariant iconPixels()
{
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/pictures/notavo.svg"));
    const QImage image = icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return QVariant();
    return QVariant::fromValue(NotificationImage { image });
}

} // namespace

DBusNotifier::DBusNotifier(const QDBusConnection &bus, QObject *parent)
    : Notifier(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<NotificationImage>();
    if (!m_bus.isConnected())
        return;
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
}

void DBusNotifier::notify(const QString &title, const QString &body)
{
    m_wanted = true;
    m_title = title;
    m_body = body;
    m_dirty = true;
    send();
}

void DBusNotifier::withdraw()
{
    if (!m_wanted)
        return;
    m_wanted = false;
    m_dirty = true;
    send();
}

void DBusNotifier::send()
{
    if (m_pending || !m_dirty || !m_bus.isConnected())
        return;
    if (m_wanted && !m_capabilitiesKnown) {
        call(QStringLiteral("GetCapabilities"), {});
        return;
    }
    m_dirty = false;
    if (m_wanted) {
        // Message names come from a shared folder: where the body is read as markup, what
        // anyone put into a name must show as typed.
        const QString body = m_bodyMarkup ? m_body.toHtmlEscaped() : m_body;
        QVariantMap hints;
        hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
        const QString desktopEntry = QGuiApplication::desktopFileName();
        if (!desktopEntry.isEmpty())
            hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
        const QVariant pixels = iconPixels();
        if (pixels.isValid())
            hints.insert(QStringLiteral("image-data"), pixels);
        call(QStringLiteral("Notify"),
             { QGuiApplication::applicationName(), m_id, QStringLiteral("io.github.notavo.Notavo"),
               m_title, body, QStringList { DefaultAction, QStringLiteral("Open Inbox") }, hints,
               -1 });
    } else if (m_id != 0) {
        call(QStringLiteral("CloseNotification"), { m_id });
        m_id = 0;
    }
}

void DBusNotifier::call(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(arguments);
    m_pending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                answered(finished, method);
            });
}

void DBusNotifier::answered(QDBusPendingCall *call, const QString &method)
{
    m_pending = false;
    if (method == QLatin1String("GetCapabilities")) {
        // No answer means no server: the notification is not sent, and no error is shown.
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isError()) {
            m_dirty = false;
            return;
        }
        m_capabilitiesKnown = true;
        m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
    } else if (method == QLatin1String("Notify")) {
        const QDBusPendingReply<uint> reply = *call;
        if (!reply.isError())
            m_id = reply.value();
    }
    send();
}

void DBusNotifier::actionInvoked(uint id, const QString &action)
{
    if (id != 0 && id == m_id && action == DefaultAction)
        emit activated();
}

void DBusNotifier::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    // Dismissed or expired: the next new message makes a new notification.
    if (id != 0 && id == m_id)
        m_id = 0;
}
