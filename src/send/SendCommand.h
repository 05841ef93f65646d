#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// notavo-send: one message into an office folder, from a script. The file is the one the
// compose window writes for the same fields (time and date as Auto Time fills them), through
// the same store functions; only a name already taken gets "name (2)" instead of replacing a
// message that may still be waiting.
class SendCommand
{
public:
    enum ExitStatus { Written = 0, BadInput = 1, NotWritten = 2 };

    // arguments as QCoreApplication::arguments() gives them; the text comes from input when
    // the arguments hold none. The written file's path goes to output, a one-line reason for
    // a failure to errors.
    static int run(const QStringList &arguments, QIODevice &input, QIODevice &output,
                   QIODevice &errors);

    static QString helpText();
};
