#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

// The windows are laid out in twips, as their designs were drawn; 15 twips are one
// device-independent pixel at 96 dpi, and Qt scales pixels for high-DPI screens.
inline QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

inline QSize twipsSize(int width, int height)
{
    return QSize(width / 15, height / 15);
}

// The fixed layouts were drawn for text of one size: their fonts are sized in points at 96 dpi,
// set as pixels. So the text grows with the screen's scale, as the layout does, and a larger
// desktop font (11 point on some desktops) cannot cut it off. The desktop's family stays.
inline QFont layoutFont(const QFont &base, qreal points)
{
    QFont font = base;
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    return font;
}

// Every fixed-size window calls this first; its controls inherit the size, and the family
// still follows the desktop's.
inline void useLayoutFont(QWidget *window)
{
    window->setFont(layoutFont(QFont(), 9));
}
