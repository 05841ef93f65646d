#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// The program's colours and its one text size, in one place: every window and control takes
// them from here, so a change of colour or size is made once.
namespace Palette {

// A colour by its name in the palette ("ink", "teal", ...); black for an unknown name.
QColor color(const QString &name);

// A style sheet whose colours are written as $name (for example "QLabel { color: $ink; }"),
// with each name replaced by its colour.
QString style(const QString &sheet);

// The pale ground of every window, shown where its background picture is missing.
void useWindowGround(QWidget *window);

// The fixed layouts were drawn for text of one size: their fonts are sized in points at 96 dpi,
// set as pixels. So the text grows with the screen's scale, as the layout does, and a larger
// desktop font (11 point on some desktops) cannot cut it off. The desktop's family stays.
QFont layoutFont(const QFont &base, qreal points);

// Every fixed-size window calls this first; its controls inherit the size, and the family
// still follows the desktop's.
void useLayoutFont(QWidget *window);

} // namespace Palette
