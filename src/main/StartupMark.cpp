#include "StartupMark.h"

#include <QEvent>
#include <QFile>
#include <QWidget>

#include <ctime>

namespace {

class FirstPaintMark : public QObject
{
public:
    FirstPaintMark(const QString &path, QObject *parent)
        : QObject(parent)
        , m_path(path)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            QFile mark(m_path);
            if (mark.open(QIODevice::WriteOnly | QIODevice::Truncate))
                mark.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QString m_path;
};

} // namespace

void markFirstPaint(QWidget *splash)
{
    const QString path = qEnvironmentVariable("NOTAVO_STARTUP_MARK");
    if (path.isEmpty() || !splash)
        return;
    splash->installEventFilter(new FirstPaintMark(path, splash));
}
