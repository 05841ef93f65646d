#include "StartupMark.h"
#include "app/Form1.h"
#include "app/SessionEnd.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "desktop/QtPlatform.h"
#include "desktop/SingleInstance.h"
#include "fs/DataFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Notavo"));
    // The running window is the menu entry's: docks show its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.notavo.Notavo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/notavo.svg")));
    // Closing windows never ends the program: only the close dialog's quit does.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per person, data folder and desktop session: a second start (the menu after
    // autostart) brings the running copy forward and ends.
    SingleInstance instance(dataFolder());
    if (!instance.claim())
        return 0;

    QtPlatform desktop;
    AppState state(dataFolder(), desktop.platform());
    // The start-up shortcut points at this program under the name it was started as.
    state.executableName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    WindowRegistry windows(state);
    Form1 mainWindow(windows);
    QObject::connect(&instance, &SingleInstance::forwardRequested, &mainWindow,
                     &Form1::bringForward);
    // A logout or shutdown ends the program without the close dialog.
    SessionEnd sessionEnd(state);
    markFirstPaint(QStringLiteral("Form7"));
    mainWindow.Form_Load();
    return app.exec();
}
