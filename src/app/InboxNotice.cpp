#include "InboxNotice.h"

#include "core/MessagePolling.h"
#include "desktop/Notifier.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

InboxNotice::InboxNotice(Notifier &notifier)
    : m_notifier(notifier)
{ }

QString InboxNotice::body(int count, const QString &newestName)
{
    QString text = MessagePolling::inboxCountText(count);
    if (!newestName.isEmpty())
        text += QStringLiteral("\nNewest: ") + newestName;
    return text;
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
    // The message's name, as given when it was written: without its ".msX" extension.
    const int dot = int(newest.lastIndexOf(QLatin1Char('.')));
    return dot > 0 ? newest.left(dot) : newest;
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
        m_notifier.notify(QStringLiteral("New Message!"),
                          body(int(names.size()), newestOf(folder, arrived)));
        m_shown = true;
    }
    m_known = current;
}
