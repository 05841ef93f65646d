#pragma once

#include "app/Form1.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"

#include <QApplication>
#include <QIcon>

// The windows and a main window over a temporary data folder with every desktop service faked.
struct AppRig
{
    explicit AppRig(const QString &folder = QString())
        : state(folder.isEmpty() ? dir.path() : folder, p.platform())
        , windows(state)
        , main(windows)
    {
        // As main() does: every window without an icon of its own shows the program's.
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/notavo.svg")));
        state.quitProgram = [this] {
            ++quits;
        };
    }

    FakeGlint *glint1() const { return p.tray.created.at(0); }
    FakeGlint *glint2() const { return p.tray.created.at(1); }

    TestPlatform p;
    TempFolder dir;
    AppState state;
    WindowRegistry windows;
    Form1 main;
    int quits = 0;
};
