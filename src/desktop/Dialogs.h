#pragma once

#include <QString>
#include <QStringList>

// The one way a window asks something modally. The real implementation shows QMessageBox /
// QInputDialog; tests install a scripted fake. Timers keep running while a box is open.
class Dialogs
{
public:
    enum class Icon { None, Exclamation, Question, Information, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // A message box. For Buttons::Ok the answer is always Ok.
    virtual Answer messageBox(const QString &text, const QString &title, Icon icon,
                              Buttons buttons = Buttons::Ok)
        = 0;

    // A message box whose buttons are labelled choices, in this order; Enter picks
    // defaultChoice, Escape (or closing the box) the last one, which is the way out that
    // changes nothing. Returns the index of the choice made.
    virtual int choiceBox(const QString &text, const QString &title, Icon icon,
                          const QStringList &choices, int defaultChoice)
        = 0;

    // An input box with OK and Cancel; Cancel (or closing it) gives "".
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText = QString())
        = 0;

    // The program's own title, used where a box has no caption of its own.
    static QString applicationTitle() { return QStringLiteral("Notavo"); }
};
