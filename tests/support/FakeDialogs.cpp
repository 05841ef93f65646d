#include "FakeDialogs.h"

Dialogs::Answer FakeDialogs::messageBox(const QString &text, const QString &title, Icon icon,
                                        Buttons buttons)
{
    m_calls.append({ Call::Kind::Message, text, title, icon, buttons });
    if (whileOpen)
        whileOpen();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return m_answers.isEmpty() ? Answer::No : m_answers.dequeue();
}

QString FakeDialogs::inputBox(const QString &prompt, const QString &title, const QString &)
{
    m_calls.append({ Call::Kind::Input, prompt, title, Icon::None, Buttons::Ok });
    if (whileOpen)
        whileOpen();
    return m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
}

QStringList FakeDialogs::messageTexts() const
{
    QStringList texts;
    for (const Call &call : m_calls)
        if (call.kind == Call::Kind::Message)
            texts.append(call.text);
    return texts;
}
