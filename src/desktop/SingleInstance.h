#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running copy per person, data folder and desktop session. The first copy listens on a
// local socket in the user's runtime folder (never in the data folder, which the office
// shares); a later start asks that copy to come forward and ends. Other users, other data
// folders and other sessions get sockets of their own.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);

    // True when this is the copy to run (it listens from now on); false when a running copy
    // was asked to come forward. When the socket cannot be made, this copy runs unguarded.
    bool claim();

    QString socketPath() const { return m_path; }

signals:
    // A later start asked for the main window.
    void forwardRequested();

private:
    bool askRunningCopy() const;
    void answer();

    QString m_path;
    QLocalServer *m_server = nullptr;
};
