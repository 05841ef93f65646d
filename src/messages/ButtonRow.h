#pragma once

#include <QFont>
#include <QString>

class PictureButton;
class QWidget;

// The row of picture buttons along the bottom of the viewer and the browser: one top, one
// height, one width and one small font, so the five buttons share the row in equal parts and
// no caption is cut off.
class ButtonRow
{
public:
    explicit ButtonRow(QWidget *window);

    // Adds the button `name` and its pressed twin at left (twips).
    PictureButton *add(const char *name, const QString &caption, int leftTwips,
                       const QString &toolTip);

private:
    QWidget *m_window;
    QFont m_font;
};
