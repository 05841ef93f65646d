#pragma once

#include <QAbstractButton>
#include <QPointer>

// A clickable picture with a pressed twin at the same place, named after the button plus "p"
// (ok / okp). Mouse-down covers the button with its twin, mouse-up uncovers it and then runs
// the action, whatever mouse button was used and wherever the pointer is released. Space and
// Enter do the same from the keyboard, and so does click() (a screen reader's press action).
// The caption is drawn over the picture by the toolkit, so it stays sharp at any scale and a
// screen reader can read it.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    // The normal picture of a button; the pressed twin uses pressedPicture.
    static constexpr const char *NormalPicture = ":/pictures/button.svg";
    static constexpr const char *PressedPicture = ":/pictures/button-pressed.svg";

    PictureButton(const QString &name, const QString &caption, QWidget *parent,
                  const QString &picture = QString::fromLatin1(NormalPicture));

    // Creates the button `name` and its hidden twin `name` + "p" at rect (pixels), the twin
    // drawn with the pressed picture. Returns the button; twin() gives the twin.
    static PictureButton *createPair(QWidget *parent, const QString &name, const QString &caption,
                                     const QRect &rect, const QString &toolTip = QString(),
                                     const QString &picture = QString::fromLatin1(NormalPicture),
                                     const QString &pressedPicture
                                     = QString::fromLatin1(PressedPicture));

    PictureButton *twin() const { return m_twin; }
    void setPicture(const QString &resource);
    QString picture() const { return m_picture; }

    // The two halves of a press, also callable by tests.
    void pressDown(Qt::MouseButton button = Qt::LeftButton);
    void releaseUp(Qt::MouseButton button = Qt::LeftButton);

    QSize sizeHint() const override;

signals:
    void mouseDown(Qt::MouseButton button);
    // The action: emitted after the twin is hidden again.
    void mouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QString m_picture;
    QPointer<PictureButton> m_twin;
    bool m_held = false;
};
