#pragma once

#include "core/Windows.h"

#include <QStringList>

#include <cstdlib>

// The window interface without windows: records what the state asks of them, so the state
// (and whatever only asks the windows for something) is tested without a display.
class FakeWindows : public Windows
{
public:
    QStringList calls;

    void refreshBrowser() override { calls.append(QStringLiteral("refreshBrowser")); }
    void setBrowserPattern(const QString &pattern) override
    {
        calls.append(QStringLiteral("setBrowserPattern ") + pattern);
    }

    // No window is loaded; asking to build one is a fault of the test.
    Form2 &form2() override { std::abort(); }
    Form2 *form2IfLoaded() const override { return nullptr; }
    void unloadForm2() override { }
    Form4 &form4() override { std::abort(); }
    Form4 *form4IfLoaded() const override { return nullptr; }
    void unloadForm4() override { }
    Form5 &form5() override { std::abort(); }
    Form5 *form5IfLoaded() const override { return nullptr; }
    void unloadForm5() override { }
    newmes &compose() override { std::abort(); }
    newmes *composeIfLoaded() const override { return nullptr; }
    void unloadCompose() override { }
    usopt &userOptions() override { std::abort(); }
    usopt *userOptionsIfLoaded() const override { return nullptr; }
    void unloadUserOptions() override { }
};
