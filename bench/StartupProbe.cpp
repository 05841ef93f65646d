#include "StartupProbe.h"

#include "Stats.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

// Peak resident set size of a running process, from /proc.
double peakRssMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

StartupResult runStartupProbe(int starts)
{
    StartupResult result;
    QList<double> splash;
    QList<double> rss;
    for (int i = 0; i < starts; ++i) {
        QTemporaryDir office;
        const QString program = office.path() + QStringLiteral("/Notavo");
        QFile::copy(QStringLiteral(NOTAVO_EXECUTABLE), program);
        const QString mark = office.path() + QStringLiteral("/.startup-mark");

        QProcess notavo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("NOTAVO_STARTUP_MARK"), mark);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           office.path() + QStringLiteral("/.config"));
        notavo.setProcessEnvironment(environment);
        notavo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 startedAt = monotonicNs();
        notavo.start(program, {});
        if (!notavo.waitForStarted(5000)) {
            ++result.failures;
            continue;
        }
        // The splash closes after four seconds and the main window appears: measure after.
        qint64 exposedAt = 0;
        for (int waited = 0; waited < 4600; waited += 10) {
            if (!exposedAt) {
                QFile file(mark);
                if (file.open(QIODevice::ReadOnly))
                    exposedAt = file.readAll().trimmed().toLongLong();
            }
            QThread::msleep(10);
        }
        const double peak = peakRssMb(notavo.processId());
        notavo.kill();
        notavo.waitForFinished(2000);
        if (!exposedAt || peak <= 0) {
            ++result.failures;
            continue;
        }
        splash.append(double(exposedAt - startedAt) / 1e6);
        rss.append(peak);
    }
    result.splashMs = median(splash);
    result.peakRssMb = median(rss);
    return result;
}
