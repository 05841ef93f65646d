#pragma once

#include "desktop/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

// Records every box a window shows and answers from queues. An unscripted message box is
// answered Ok (or No for Yes/No), an unscripted input box with "".
class FakeDialogs : public Dialogs
{
public:
    struct Call
    {
        enum class Kind { Message, Input, Choice } kind;
        QString text; // message text or input prompt
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QStringList choices; // for Choice: the labels, and the one Enter picks
        int defaultChoice = -1;
    };

    Answer messageBox(const QString &text, const QString &title, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    // Unscripted: the last choice, the way out.
    int choiceBox(const QString &text, const QString &title, Icon icon, const QStringList &choices,
                  int defaultChoice) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText = QString()) override;

    void queueAnswer(Answer answer) { m_answers.enqueue(answer); }
    // The choice by its label; a label the box does not offer counts as the way out.
    void queueChoice(const QString &label) { m_choices.enqueue(label); }
    void queueInput(const QString &text) { m_inputs.enqueue(text); }

    const QList<Call> &calls() const { return m_calls; }
    // The texts of all message and choice boxes shown, in order.
    QStringList messageTexts() const;
    const Call *last() const { return m_calls.isEmpty() ? nullptr : &m_calls.last(); }
    void clear() { m_calls.clear(); }

    // Runs while a box is "open", so a test can check what happens during a modal box.
    std::function<void()> whileOpen;

private:
    QList<Call> m_calls;
    QQueue<Answer> m_answers;
    QQueue<QString> m_choices;
    QQueue<QString> m_inputs;
};
