#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QString>

// One site of an office folder carried by a real Syncthing: its own home (keys, config,
// database), its folder, and the program itself, reached through its REST interface. Loopback
// only: no discovery, relays, NAT, upgrades, usage or crash reports; the peer is dialled at
// its static 127.0.0.1 address.
class SyncthingSite
{
public:
    SyncthingSite(const QString &root, const QString &name);
    ~SyncthingSite();
    SyncthingSite(const SyncthingSite &) = delete;
    SyncthingSite &operator=(const SyncthingSite &) = delete;

    // The binary, or "" when it is not installed.
    static QString binary();

    // Keys and the device ID, free ports, and the folder with its marker.
    bool generate(QString *error);
    // The config: the shared folder (watcher delay in seconds) with peer as the one other device.
    bool writeConfig(const SyncthingSite &peer, int watcherDelayS, QString *error);
    bool start(QString *error);
    void stop();

    QString folder() const { return m_folder; }
    QString file(const QString &name) const { return m_folder + QLatin1Char('/') + name; }
    QString deviceId() const { return m_deviceId; }

    // REST; a null document on any failure.
    QJsonDocument get(const QString &path) const;
    bool post(const QString &path) const;

    bool connectedTo(const SyncthingSite &peer) const;
    // The folder is scanned and nothing is waiting to be pulled.
    bool idle() const;
    // The log so far, for a failure message.
    QString log() const;

    static constexpr const char *FolderId = "notavo-office";

private:
    QString m_name;
    QString m_home;
    QString m_folder;
    QString m_deviceId;
    QString m_apiKey;
    int m_guiPort = 0;
    int m_listenPort = 0;
    QProcess m_process;
    QByteArray m_log;
};
