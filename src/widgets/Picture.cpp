#include "Picture.h"

#include <QEvent>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

QSvgRenderer *Picture::renderer(const QString &resource)
{
    // One renderer per picture for the whole program: windows share a handful of pictures.
    static QHash<QString, QSvgRenderer *> cache;
    auto it = cache.find(resource);
    if (it == cache.end())
        it = cache.insert(resource, new QSvgRenderer(resource));
    return it.value()->isValid() ? it.value() : nullptr;
}

Picture::Picture(const QString &name, const QString &resource, QWidget *parent)
    : QWidget(parent)
    , m_resource(resource)
{
    setObjectName(name);
}

void Picture::setResource(const QString &resource)
{
    m_resource = resource;
    update();
}

Picture *Picture::installBackground(QWidget *window, const QString &resource)
{
    auto *background = new Picture(QStringLiteral("background"), resource, window);
    background->setGeometry(window->rect());
    background->lower();
    background->setAttribute(Qt::WA_TransparentForMouseEvents);
    window->installEventFilter(background);
    return background;
}

void Picture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (QSvgRenderer *renderer = Picture::renderer(m_resource))
        renderer->render(&painter, QRectF(rect()));
}

bool Picture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
