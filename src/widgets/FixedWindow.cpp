#include "FixedWindow.h"

#include "Palette.h"
#include "Picture.h"

#include <QIcon>
#include <QWidget>

void FixedWindow::setUp(QWidget *window, const Design &design)
{
    window->setObjectName(QLatin1String(design.name));
    window->setWindowTitle(design.caption);
    window->setWindowIcon(QIcon(QStringLiteral(":/pictures/notavo.svg")));
    window->setFixedSize(design.size);
    Palette::useLayoutFont(window);
    if (design.paintGround) {
        Palette::useWindowGround(window);
        window->setAutoFillBackground(true);
    }
    Picture::installBackground(window, design.background);
}

void FixedWindow::showInFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}
