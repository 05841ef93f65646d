#include "SendCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("notavo-send"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NOTAVO_VERSION));
    QFile input;
    QFile output;
    QFile errors;
    input.open(stdin, QIODevice::ReadOnly);
    output.open(stdout, QIODevice::WriteOnly);
    errors.open(stderr, QIODevice::WriteOnly);
    return SendCommand::run(QCoreApplication::arguments(), input, output, errors);
}
