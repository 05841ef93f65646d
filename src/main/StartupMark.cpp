#include "StartupMark.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <ctime>

namespace {

class FirstPaintMark : public QObject
{
public:
    FirstPaintMark(const QString &path, const QString &windowName)
        : QObject(qApp)
        , m_path(path)
        , m_windowName(windowName)
    { }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        if (static_cast<QWidget *>(watched)->window()->objectName() != m_windowName)
            return false;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        QFile mark(m_path);
        if (mark.open(QIODevice::WriteOnly | QIODevice::Truncate))
            mark.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
        qApp->removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    QString m_path;
    QString m_windowName;
};

} // namespace

void markFirstPaint(const QString &windowName)
{
    const QString path = qEnvironmentVariable("NOTAVO_STARTUP_MARK");
    if (!path.isEmpty())
        qApp->installEventFilter(new FirstPaintMark(path, windowName));
}
