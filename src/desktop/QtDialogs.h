#pragma once

#include "Dialogs.h"

#include <memory>

class QInputDialog;
class QMessageBox;
class QWidget;

// Dialogs through QMessageBox and QInputDialog, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    Answer messageBox(const QString &text, const QString &title, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    int choiceBox(const QString &text, const QString &title, Icon icon, const QStringList &choices,
                  int defaultChoice) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText = QString()) override;

    // The boxes as shown, not yet run; the screenshot test looks at them over every window.
    static std::unique_ptr<QMessageBox> createMessageBox(const QString &text, const QString &title,
                                                         Icon icon, Buttons buttons,
                                                         QWidget *parent);
    static std::unique_ptr<QInputDialog> createInputBox(const QString &prompt, const QString &title,
                                                        const QString &defaultText,
                                                        QWidget *parent);
};
