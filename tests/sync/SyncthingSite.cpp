#include "SyncthingSite.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTimer>

namespace {

int freeLoopbackPort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? int(server.serverPort()) : 0;
}

QProcessEnvironment environmentFor(const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Nothing of the user's own: Syncthing keeps everything under its home.
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("STNODEFAULTFOLDER"), QStringLiteral("1"));
    environment.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("STNORESTART"), QStringLiteral("1"));
    for (const char *proxy :
         { "http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY" })
        environment.remove(QLatin1String(proxy));
    return environment;
}

} // namespace

SyncthingSite::SyncthingSite(const QString &root, const QString &name)
    : m_name(name)
    , m_home(root + QLatin1Char('/') + name + QStringLiteral("-home"))
    , m_folder(root + QLatin1Char('/') + name)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, [this] { m_log += m_process.readAll(); });
}

SyncthingSite::~SyncthingSite()
{
    stop();
}

QString SyncthingSite::binary()
{
    return QStandardPaths::findExecutable(QStringLiteral("syncthing"));
}

bool SyncthingSite::generate(QString *error)
{
    QDir().mkpath(m_folder + QStringLiteral("/.stfolder"));
    QProcess run;
    run.setProcessEnvironment(environmentFor(m_home));
    run.start(binary(),
              { QStringLiteral("generate"), QStringLiteral("--home=") + m_home,
                QStringLiteral("--no-default-folder"), QStringLiteral("--skip-port-probing") });
    if (!run.waitForFinished(60000) || run.exitCode() != 0) {
        *error = QString::fromLocal8Bit(run.readAllStandardError() + run.readAllStandardOutput());
        return false;
    }
    QProcess id;
    id.setProcessEnvironment(environmentFor(m_home));
    id.start(binary(),
             { QStringLiteral("serve"), QStringLiteral("--home=") + m_home,
               QStringLiteral("--device-id") });
    id.waitForFinished(30000);
    m_deviceId = QString::fromLatin1(id.readAllStandardOutput()).trimmed();
    m_apiKey = QString::number(QRandomGenerator::global()->generate64(), 36)
        + QString::number(QRandomGenerator::global()->generate64(), 36);
    m_guiPort = freeLoopbackPort();
    m_listenPort = freeLoopbackPort();
    if (m_deviceId.size() < 50 || !m_guiPort || !m_listenPort) {
        *error = QStringLiteral("no device ID or no free port: ") + m_deviceId;
        return false;
    }
    return true;
}

bool SyncthingSite::writeConfig(const SyncthingSite &peer, int watcherDelayS, QString *error)
{
    const QString xml = QStringLiteral(R"(<configuration version="36">
    <folder id="%1" label="office" path="%2" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true" fsWatcherDelayS="%3" ignorePerms="false" autoNormalize="true">
        <filesystemType>basic</filesystemType>
        <device id="%4" introducedBy=""></device>
        <device id="%5" introducedBy=""></device>
        <maxConflicts>-1</maxConflicts>
        <markerName>.stfolder</markerName>
    </folder>
    <device id="%4" name="%6" compression="metadata" introducer="false">
        <address>dynamic</address>
    </device>
    <device id="%5" name="%7" compression="metadata" introducer="false">
        <address>tcp://127.0.0.1:%8</address>
    </device>
    <gui enabled="true" tls="false">
        <address>127.0.0.1:%9</address>
        <apikey>%10</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:%11</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <announceLANAddresses>false</announceLANAddresses>
        <startBrowser>false</startBrowser>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
)")
                            .arg(QLatin1String(FolderId), m_folder, QString::number(watcherDelayS),
                                 m_deviceId, peer.m_deviceId, m_name, peer.m_name,
                                 QString::number(peer.m_listenPort), QString::number(m_guiPort))
                            .arg(m_apiKey, QString::number(m_listenPort));
    QFile config(m_home + QStringLiteral("/config.xml"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || config.write(xml.toUtf8()) != xml.toUtf8().size()) {
        *error = config.errorString();
        return false;
    }
    return true;
}

bool SyncthingSite::start(QString *error)
{
    m_process.setProcessEnvironment(environmentFor(m_home));
    m_process.start(binary(),
                    { QStringLiteral("serve"), QStringLiteral("--home=") + m_home,
                      QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                      QStringLiteral("--no-upgrade"), QStringLiteral("--logflags=0") });
    if (!m_process.waitForStarted(10000)) {
        *error = m_process.errorString();
        return false;
    }
    return true;
}

void SyncthingSite::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QJsonDocument SyncthingSite::get(const QString &path) const
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_guiPort).arg(path)));
    request.setRawHeader("X-API-Key", m_apiKey.toLatin1());
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->isFinished() && reply->error() == QNetworkReply::NoError
        ? reply->readAll()
        : QByteArray();
    reply->abort();
    reply->deleteLater();
    return QJsonDocument::fromJson(body);
}

bool SyncthingSite::post(const QString &path) const
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_guiPort).arg(path)));
    request.setRawHeader("X-API-Key", m_apiKey.toLatin1());
    QNetworkReply *reply = manager.post(request, QByteArray());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
    reply->abort();
    reply->deleteLater();
    return ok;
}

bool SyncthingSite::connectedTo(const SyncthingSite &peer) const
{
    return get(QStringLiteral("/rest/system/connections"))
        .object()
        .value(QStringLiteral("connections"))
        .toObject()
        .value(peer.m_deviceId)
        .toObject()
        .value(QStringLiteral("connected"))
        .toBool();
}

bool SyncthingSite::idle() const
{
    const QJsonObject status
        = get(QStringLiteral("/rest/db/status?folder=") + QLatin1String(FolderId)).object();
    return status.value(QStringLiteral("state")).toString() == QLatin1String("idle")
        && status.value(QStringLiteral("needTotalItems")).toInt(-1) == 0;
}

QString SyncthingSite::log() const
{
    return QString::fromLocal8Bit(m_log.right(3000));
}
