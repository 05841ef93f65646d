#include "FakeDialogs.h"

Dialogs::Answer FakeDialogs::messageBox(const QString &text, const QString &title, Icon icon,
                                        Buttons buttons)
{
    m_calls.append({ Call::Kind::Message, text, title, icon, buttons, {}, -1 });
    if (whileOpen)
        whileOpen();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return m_answers.isEmpty() ? Answer::No : m_answers.dequeue();
}

int FakeDialogs::choiceBox(const QString &text, const QString &title, Icon icon,
                           const QStringList &choices, int defaultChoice)
{
    m_calls.append({ Call::Kind::Choice, text, title, icon, Buttons::Ok, choices, defaultChoice });
    if (whileOpen)
        whileOpen();
    const int last = int(choices.size()) - 1;
    const int chosen = m_choices.isEmpty() ? -1 : int(choices.indexOf(m_choices.dequeue()));
    return chosen >= 0 ? chosen : last;
}

QString FakeDialogs::inputBox(const QString &prompt, const QString &title, const QString &)
{
    m_calls.append({ Call::Kind::Input, prompt, title, Icon::None, Buttons::Ok, {}, -1 });
    if (whileOpen)
        whileOpen();
    return m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
}

QStringList FakeDialogs::messageTexts() const
{
    QStringList texts;
    for (const Call &call : m_calls)
        if (call.kind != Call::Kind::Input)
            texts.append(call.text);
    return texts;
}
