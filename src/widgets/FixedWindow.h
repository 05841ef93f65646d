#pragma once

#include <QSize>
#include <QString>

class QWidget;

// What every one of the program's fixed-size windows does alike: its design (name, caption,
// size, font, background picture) and being brought to the front.
namespace FixedWindow {

struct Design
{
    const char *name;
    QString caption;
    QSize size;
    // The resource of the picture that covers the window.
    QString background;
    // The pale ground drawn where the picture leaves the window uncovered.
    bool paintGround = false;
};

// Sets window up as designed; its controls are added afterwards, above the picture.
void setUp(QWidget *window, const Design &design);

// Shows window; one already shown comes forward, with the focus.
void showInFront(QWidget *window);

} // namespace FixedWindow
