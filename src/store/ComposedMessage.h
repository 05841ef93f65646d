#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// A message as the compose window collects it, and the file text it becomes. Nothing reads the
// header lines back (they are for the human reader), but every copy of the program sharing the
// folder must write them byte for byte alike.
struct ComposedMessage
{
    QString time;
    QString date;
    QString priority;
    // As typed: "User 1".."User 6" address their slot, any other text the default user.
    QString recipient;
    QString sender;
    QString body;

    // The recipient's slot code: "1".."6", or the default user's.
    QString slotCode() const;

    // The name after "To: ": the recipient slot's full name as stored in dataFolder, the typed
    // recipient when that file is missing, and nothing for the default user.
    QString recipientFullName(const QString &dataFolder) const;

    // The file text: time and date, blank lines, priority, recipient's full name, sender, each
    // line ending in a space, then the body as typed.
    QString content(const QString &fullName) const;

    // The time and date texts Auto Time fills in: the system locale's short formats.
    static QString timeText(const QTime &time);
    static QString dateText(const QDate &date);
};
