#include "app/AppState.h"
#include "app/Form1.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Notavo"));
    // Closing windows never ends the program: only the close dialog's quit does.
    QApplication::setQuitOnLastWindowClosed(false);

    QtPlatform desktop;
    AppState state(QCoreApplication::applicationDirPath(), desktop.platform());
    Form1 mainWindow(state);
    mainWindow.Form_Load();
    return app.exec();
}
