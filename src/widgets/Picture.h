#pragma once

#include <QWidget>

class QSvgRenderer;

// A picture drawn from an SVG resource, scaled to the widget: sharp at any screen scale.
// Used for decorations (the title picture) and, through install(), as a window's background.
class Picture : public QWidget
{
    Q_OBJECT
public:
    Picture(const QString &name, const QString &resource, QWidget *parent);

    QString resource() const { return m_resource; }
    void setResource(const QString &resource);

    // The shared renderer of a resource, or nullptr when it is missing or broken.
    static QSvgRenderer *renderer(const QString &resource);

    // Covers window with the picture, below every other child, following its size.
    static Picture *installBackground(QWidget *window, const QString &resource);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_resource;
};
