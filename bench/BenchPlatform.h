#pragma once

#include "core/Platform.h"
#include "desktop/Clock.h"
#include "desktop/Dialogs.h"
#include "desktop/Glint.h"
#include "desktop/Notifier.h"
#include "desktop/ShellLink.h"

#include <functional>

// A tray icon that tells the benchmark the moment it enters or leaves the tray.
class BenchGlint : public Glint
{
    Q_OBJECT
public:
    using Glint::Glint;
    std::function<void(bool inTray)> onChange;

protected:
    void apply() override;

private:
    bool m_shown = false;
};

class BenchTrayHost : public TrayHost
{
public:
    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override { return true; }
    BenchGlint *first = nullptr; // Glint1: the new-message icon
};

// Answers every box at once; the benchmark never expects one.
class SilentDialogs : public Dialogs
{
public:
    Answer messageBox(const QString &, const QString &, Icon, Buttons) override
    {
        return Answer::No;
    }
    int choiceBox(const QString &, const QString &, Icon, const QStringList &choices, int) override
    {
        return int(choices.size()) - 1;
    }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
};

class NoShellLink : public ShellLink
{
public:
    bool fCreateShellLink(const QString &, const QString &, const QString &,
                          const QString &) override
    {
        return true;
    }
};

// Desktop notifications cost a message to another process; the benchmark sends none.
class NoNotifier : public Notifier
{
    Q_OBJECT
public:
    using Notifier::Notifier;
    void notify(const QString &, const QString &) override { }
    void withdraw() override { }
};

class BenchPlatform
{
public:
    BenchPlatform();
    Platform &platform() { return m_platform; }
    BenchTrayHost tray;

private:
    SilentDialogs m_dialogs;
    NoShellLink m_shellLink;
    SystemClock m_clock;
    NoNotifier m_notifier;
    Platform m_platform;
};
