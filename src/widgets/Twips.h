#pragma once

#include <QRect>
#include <QSize>

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
