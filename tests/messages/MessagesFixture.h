#pragma once

#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "messages/Form2.h"
#include "messages/Form4.h"
#include "support/TempFolder.h"
#include "support/TestPlatform.h"
#include "widgets/FileListBox.h"
#include "widgets/PictureButton.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QtTest>

// A data folder with a History folder, the fakes, the shared state and the windows, without
// a main window: nothing polls, so every list re-read in a test is one the windows asked for.
struct MessagesFixture
{
    MessagesFixture()
        : state(dir.path(), platform.platform())
        , windows(state)
    {
        dir.makeFolder(QStringLiteral("History"));
    }

    FakeDialogs &dialogs() { return platform.dialogs; }
    QString historyFile(const QString &name) const { return QStringLiteral("History/") + name; }

    // Opens name in the viewer through the browser, as the user does; nullptr when no viewer
    // came up.
    Form2 *open(const QString &name, bool fromHistory = false)
    {
        Form4 &browser = windows.form4();
        if (fromHistory)
            browser.OpenHistory();
        else
            browser.OpenInbox();
        if (!browser.File1->selectName(name))
            return nullptr;
        browser.openy->pressDown();
        browser.openy->releaseUp();
        return windows.form2IfLoaded();
    }

    // Runs the deferred deletions of unloaded windows and any boxes queued for later.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TestPlatform platform;
    TempFolder dir;
    AppState state;
    WindowRegistry windows;
};

// Clicks a picture button the way the mouse does: down, then up.
inline void click(PictureButton *button)
{
    button->pressDown();
    button->releaseUp();
}

// The names the browser shows, in order.
inline QStringList names(const Form4 &browser)
{
    QStringList shown;
    for (int row = 0; row < browser.File1->count(); ++row)
        shown.append(browser.File1->item(row)->text());
    return shown;
}

inline bool inboxViewShown(const Form4 &b)
{
    return !b.inbred->isHidden() && b.inblur->isHidden() && !b.hisblur->isHidden()
        && b.hisred->isHidden() && !b.history->isHidden() && b.inbox->isHidden();
}

inline bool historyViewShown(const Form4 &b)
{
    return b.inbred->isHidden() && !b.inblur->isHidden() && b.hisblur->isHidden()
        && !b.hisred->isHidden() && b.history->isHidden() && !b.inbox->isHidden();
}
