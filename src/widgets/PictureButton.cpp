#include "PictureButton.h"

#include "Palette.h"
#include "Picture.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

PictureButton::PictureButton(const QString &name, const QString &caption, QWidget *parent,
                             const QString &picture)
    : QAbstractButton(parent)
    , m_picture(picture)
{
    setObjectName(name);
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(caption);
    // The mouse and the keys never go through click(); what does (a screen reader's press
    // action, a shortcut) runs the same press and release as a click.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_held)
            return;
        pressDown(Qt::LeftButton);
        if (m_held)
            releaseUp(Qt::LeftButton);
    });
}

PictureButton *PictureButton::createPair(QWidget *parent, const QString &name,
                                         const QString &caption, const QRect &rect,
                                         const QString &toolTip, const QString &picture,
                                         const QString &pressedPicture)
{
    auto *button = new PictureButton(name, caption, parent, picture);
    auto *twin = new PictureButton(name + QLatin1Char('p'), caption, parent, pressedPicture);
    button->setGeometry(rect);
    twin->setGeometry(rect);
    // The twin is only a picture: the button keeps the mouse and the keyboard focus.
    twin->setAttribute(Qt::WA_TransparentForMouseEvents);
    twin->setFocusPolicy(Qt::NoFocus);
    twin->hide();
    if (!toolTip.isEmpty()) {
        button->setToolTip(toolTip);
        button->setAccessibleName(toolTip);
    }
    button->m_twin = twin;
    return button;
}

void PictureButton::setPicture(const QString &resource)
{
    m_picture = resource;
    update();
}

void PictureButton::pressDown(Qt::MouseButton button)
{
    if (m_twin) {
        m_twin->show();
        m_twin->raise();
    }
    m_held = true;
    emit mouseDown(button);
}

void PictureButton::releaseUp(Qt::MouseButton button)
{
    if (m_twin)
        m_twin->hide();
    m_held = false;
    emit mouseUp(button);
}

QSize PictureButton::sizeHint() const
{
    return QSize(80, 25);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    if (QSvgRenderer *renderer = Picture::renderer(m_picture)) {
        renderer->render(&painter, area);
    } else {
        painter.setPen(Palette::color(QStringLiteral("edge")));
        painter.setBrush(Palette::color(QStringLiteral("teal")));
        painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    if (!text().isEmpty()) {
        QFont captionFont = font();
        captionFont.setBold(true);
        painter.setFont(captionFont);
        painter.setPen(m_picture.contains(QLatin1String("pressed"))
                           ? Palette::color(QStringLiteral("pressedcaption"))
                           : Palette::color(QStringLiteral("white")));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
    }
    if (hasFocus()) {
        QPen focusPen(Palette::color(QStringLiteral("focus")));
        focusPen.setWidthF(1.5);
        focusPen.setStyle(Qt::DotLine);
        painter.setPen(focusPen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
    }
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (m_held)
        return;
    pressDown(event->button());
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_held)
        return;
    // The action runs wherever the pointer is released.
    releaseUp(event->button());
    event->accept();
}

void PictureButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && !event->isAutoRepeat()) {
        if (!m_held)
            pressDown(Qt::LeftButton);
        // A press handler may already have let go (Retrieve refusing with a box): once only.
        if (key != Qt::Key_Space && m_held)
            releaseUp(Qt::LeftButton);
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_held) {
        releaseUp(Qt::LeftButton);
        event->accept();
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}
