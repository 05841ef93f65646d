#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class Notifier;

// The desktop notification about waiting messages: one notification, sent when more messages
// wait than before and replaced in place as more arrive, taken away when the inbox is empty.
// A notification is a cue that does not depend on a tray.
class InboxNotice
{
public:
    explicit InboxNotice(Notifier &notifier);

    // The inbox listing after its count changed: its folder and its names.
    void update(const QString &folder, const QStringList &names);

    // "2 New Messages.\nNewest: lunch" for the names that arrived since the last update; a
    // sync engine's conflict copy is named by the message it is a copy of, and said to be one.
    static QString body(int count, const QString &newestName, bool conflictCopy = false);

private:
    // The file name of the newest of names.
    static QString newestOf(const QString &folder, const QStringList &names);
    // A file name as the message's own name: without its ".msX" extension.
    static QString messageName(const QString &fileName);

    Notifier &m_notifier;
    QSet<QString> m_known;
    bool m_shown = false;
};
