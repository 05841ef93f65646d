#include "ButtonRow.h"

#include "widgets/Palette.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QWidget>

namespace {

constexpr int Top = 3480;
constexpr int Width = 810;
constexpr int Height = 375;

} // namespace

ButtonRow::ButtonRow(QWidget *window)
    : m_window(window)
    , m_font(Palette::layoutFont(window->font(), 9 * 0.85))
{ }

PictureButton *ButtonRow::add(const char *name, const QString &caption, int leftTwips,
                              const QString &toolTip)
{
    PictureButton *button = PictureButton::createPair(
        m_window, QLatin1String(name), caption, twips(leftTwips, Top, Width, Height), toolTip);
    button->setFont(m_font);
    button->twin()->setFont(m_font);
    return button;
}
