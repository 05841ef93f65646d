#pragma once

#include "app/Form1.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"

#include <QList>
#include <QPointer>
#include <QString>

class QWidget;

// Every window of the program over a data folder with a few messages and an account, each in
// the state a user typically sees it: the main window with its counts, a message being written,
// one being read, the browser on both tabs, the login and the account windows, and a message
// box and an input box over the windows they open from.
class WindowGallery
{
public:
    struct Window
    {
        QString name; // file name of its screenshot, also the test row
        QPointer<QWidget> widget;
    };

    WindowGallery();
    ~WindowGallery();

    // Builds (or rebuilds) the window called name and shows it; nullptr for an unknown name.
    QWidget *show(const QString &name);
    static QStringList names();

    TestPlatform platform;
    TempFolder dir;
    AppState state;
    WindowRegistry windows;
    Form1 main;
};
