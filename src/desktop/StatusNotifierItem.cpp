#include "StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QImage>
#include <QtEndian>

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierPixmap &pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierPixmap &pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

namespace {

const QString ItemPath = QStringLiteral("/StatusNotifierItem");

StatusNotifierPixmaps pixmapsOf(const QIcon &icon)
{
    StatusNotifierPixmaps pixmaps;
    for (const int size : { 22, 32, 48 }) {
        const QImage image
            = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        StatusNotifierPixmap pixmap { image.width(), image.height(), QByteArray() };
        pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(pixmap.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QObject *parent)
    : QObject(parent)
    , m_bus(QString())
{
    static int count = 0;
    ++count;
    qDBusRegisterMetaType<StatusNotifierPixmap>();
    qDBusRegisterMetaType<StatusNotifierPixmaps>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    // Every item has a bus name of its own, so each needs a connection of its own.
    m_connectionName = QStringLiteral("notavo-status-notifier-%1").arg(count);
    m_service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(count);
    m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
    if (m_bus.isConnected())
        m_bus.registerObject(ItemPath, this,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties
                                 | QDBusConnection::ExportScriptableSignals);
}

StatusNotifierItem::~StatusNotifierItem()
{
    m_bus.unregisterObject(ItemPath);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

StatusNotifierToolTip StatusNotifierItem::toolTip() const
{
    return { QString(), {}, m_title, QString() };
}

void StatusNotifierItem::update(const QIcon &icon, const QString &title, bool shown)
{
    if (title != m_title) {
        m_title = title;
        emit NewTitle();
        emit NewToolTip();
    }
    if (icon.cacheKey() != m_iconKey) {
        m_iconKey = icon.cacheKey();
        m_pixmaps = pixmapsOf(icon);
        emit NewIcon();
    }
    if (shown == m_shown || !m_bus.isConnected())
        return;
    m_shown = shown;
    // The panel drops an item whose bus name goes away.
    if (shown && m_bus.registerService(m_service))
        registerWithPanel();
    else if (!shown)
        m_bus.unregisterService(m_service);
}

void StatusNotifierItem::registerWithPanel()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.kde.StatusNotifierWatcher"),
        QStringLiteral("RegisterStatusNotifierItem"));
    call.setArguments({ m_service });
    m_bus.call(call, QDBus::NoBlock);
}

void StatusNotifierItem::Activate(int, int)
{
    emit activated();
}

void StatusNotifierItem::SecondaryActivate(int, int) { }

void StatusNotifierItem::ContextMenu(int, int) { }

void StatusNotifierItem::Scroll(int, const QString &) { }
