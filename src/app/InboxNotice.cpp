#include "InboxNotice.h"

#include "core/MessagePolling.h"
#include "desktop/Notifier.h"
#include "store/ConflictCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

InboxNotice::InboxNotice(Notifier &notifier)
    : m_notifier(notifier)
{ }

QString InboxNotice::body(int count, const QString &newestName, bool conflictCopy)
{
    QString text = MessagePolling::inboxCountText(count);
    if (!newestName.isEmpty())
        text += QStringLiteral("\nNewest: ") + newestName;
    if (!newestName.isEmpty() && conflictCopy)
        text += QStringLiteral(", a conflict copy from another site");
    return text;
}

QString InboxNotice::messageName(const QString &fileName)
{
    const int dot = int(fileName.lastIndexOf(QLatin1Char('.')));
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString InboxNotice::newestOf(const QString &folder, const QStringList &names)
{
    // Usually one name: only the arrivals are looked at, never the whole inbox.
    QString newest;
    QDateTime newestTime;
    const QDir dir(folder);
    for (const QString &name : names) {
        const QDateTime time = QFileInfo(dir.filePath(name)).lastModified();
        if (newest.isEmpty() || time >= newestTime) {
            newest = name;
            newestTime = time;
        }
    }
    return newest;
}

void InboxNotice::update(const QString &folder, const QStringList &names)
{
    if (names.isEmpty()) {
        if (m_shown)
            m_notifier.withdraw();
        m_shown = false;
        m_known.clear();
        return;
    }
    const QSet<QString> current(names.cbegin(), names.cend());
    if (current.size() > m_known.size()) {
        QStringList arrived;
        for (const QString &name : names)
            if (!m_known.contains(name))
                arrived.append(name);
        QString newest = newestOf(folder, arrived);
        // Two sites saved it before hearing of each other; both texts are in the inbox.
        const bool conflictCopy = Store::isConflictCopy(newest, &newest);
        m_notifier.notify(QStringLiteral("New Message!"),
                          body(int(names.size()), messageName(newest), conflictCopy));
        m_shown = true;
    }
    m_known = current;
}
