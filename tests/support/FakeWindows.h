#pragma once

#include "core/Windows.h"

#include <QSet>
#include <QStringList>
#include <QWidget>

// The window interface without the other windows: records the verbs a window or the state
// asks for, so one window (or the state) is tested alone. An unloaded window is hidden, as
// the registry does, and stays with the test that built it.
class FakeWindows : public Windows
{
public:
    QStringList calls;

    bool unloaded(const QWidget *window) const { return m_unloaded.contains(window); }

    void openInbox() override { calls.append(QStringLiteral("openInbox")); }
    void openHistory() override { calls.append(QStringLiteral("openHistory")); }
    void refreshBrowser() override { calls.append(QStringLiteral("refreshBrowser")); }
    void setBrowserPattern(const QString &pattern) override
    {
        calls.append(QStringLiteral("setBrowserPattern ") + pattern);
    }
    void showMessage(const QString &folder, const QString &name, const QString &) override
    {
        calls.append(QStringLiteral("showMessage ") + folder + QLatin1Char(' ') + name);
    }
    void showLogin() override { calls.append(QStringLiteral("showLogin")); }
    void showUserOptions() override { calls.append(QStringLiteral("showUserOptions")); }
    void showCompose() override { calls.append(QStringLiteral("showCompose")); }
    void showAbout() override { calls.append(QStringLiteral("showAbout")); }
    void showCloseDialog() override { calls.append(QStringLiteral("showCloseDialog")); }
    void enterBackground(BackgroundRoute route) override
    {
        calls.append(route == BackgroundRoute::Menu ? QStringLiteral("enterBackground menu")
                                                    : QStringLiteral("enterBackground close"));
    }
    bool isLoaded(const QWidget *window) const override
    {
        return window && !m_unloaded.contains(window);
    }
    void unload(QWidget *window) override
    {
        if (!window)
            return;
        calls.append(QStringLiteral("unload ") + window->objectName());
        m_unloaded.insert(window);
        window->hide();
    }

private:
    QSet<const QWidget *> m_unloaded;
};
