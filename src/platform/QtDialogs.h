#pragma once

#include "Dialogs.h"

// Dialogs through QMessageBox and QInputDialog, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    Answer messageBox(const QString &text, const QString &title, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText = QString()) override;
};
