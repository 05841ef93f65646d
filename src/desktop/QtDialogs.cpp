#include "QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box takes the style sheet of the window it opens over, whose captions are drawn for that
// window's own picture (navy on pale): on a dark desktop palette that is dark on dark. The box
// sets its text and ground together, from the desktop's palette, so they always go together.
void useDesktopColours(QWidget *box)
{
    box->setStyleSheet(
        QStringLiteral("QMessageBox, QInputDialog { color: palette(window-text);"
                       " background-color: palette(window); }"
                       "QLabel { color: palette(window-text); background: transparent; }"
                       "QLineEdit { color: palette(text); background-color: palette(base);"
                       " selection-color: palette(highlighted-text);"
                       " selection-background-color: palette(highlight); }"));
}

} // namespace

std::unique_ptr<QMessageBox> QtDialogs::createMessageBox(const QString &text, const QString &title,
                                                         Icon icon, Buttons buttons,
                                                         QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(
        toQt(icon), title, text,
        buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("notavoMessageBox"));
    // Texts carry file and account names; a name such as "<b>x</b>" is shown as typed.
    box->setTextFormat(Qt::PlainText);
    useDesktopColours(box.get());
    return box;
}

std::unique_ptr<QInputDialog> QtDialogs::createInputBox(const QString &prompt, const QString &title,
                                                        const QString &defaultText, QWidget *parent)
{
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setObjectName(QStringLiteral("notavoInputBox"));
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    useDesktopColours(dialog.get());
    return dialog;
}

// The window a box opens over may be unloaded while the box waits, and takes the box with it.
Dialogs::Answer QtDialogs::messageBox(const QString &text, const QString &title, Icon icon,
                                      Buttons buttons)
{
    const QPointer<QMessageBox> box
        = createMessageBox(text, title, icon, buttons, QApplication::activeWindow()).release();
    const int result = box->exec();
    delete box.data();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int QtDialogs::choiceBox(const QString &text, const QString &title, Icon icon,
                         const QStringList &choices, int defaultChoice)
{
    const int last = int(choices.size()) - 1;
    const QPointer<QMessageBox> box
        = createMessageBox(text, title, icon, Buttons::Ok, QApplication::activeWindow()).release();
    box->setStandardButtons(QMessageBox::NoButton);
    QList<QAbstractButton *> buttons;
    for (int i = 0; i <= last; ++i)
        buttons.append(box->addButton(
            choices.at(i), i == last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    if (defaultChoice >= 0 && defaultChoice <= last)
        box->setDefaultButton(qobject_cast<QPushButton *>(buttons.at(defaultChoice)));
    if (last >= 0)
        box->setEscapeButton(buttons.at(last));
    box->exec();
    const int chosen = box ? int(buttons.indexOf(box->clickedButton())) : -1;
    delete box.data();
    return chosen >= 0 ? chosen : last;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    const QPointer<QInputDialog> dialog
        = createInputBox(prompt, title, defaultText, QApplication::activeWindow()).release();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QString answer = dialog && accepted ? dialog->textValue() : QString();
    delete dialog.data();
    return answer;
}
