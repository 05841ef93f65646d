#include "StressContent.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace StressContent {

bool fullSize()
{
    return qEnvironmentVariableIntValue("NOTAVO_STRESS") == 1;
}

QByteArray messageBytes(int writer, int index, int size)
{
    QByteArray bytes = QByteArrayLiteral("Notavo stress writer ") + QByteArray::number(writer)
        + " message " + QByteArray::number(index) + " size " + QByteArray::number(size) + "\r\n";
    QRandomGenerator random(quint32(writer) * 1000003u + quint32(index) * 7919u + quint32(size));
    while (bytes.size() < size)
        bytes.append(char(random.bounded(256)));
    return bytes;
}

int sizeFor(int writer, int index, int minimum, int maximum)
{
    QRandomGenerator random(quint32(writer) * 31u + quint32(index) * 131071u);
    return minimum + int(random.bounded(quint32(maximum - minimum + 1)));
}

QByteArray fileBytes(int writer, int index, int size)
{
    return messageBytes(writer, index, size) + "\r\n";
}

bool identify(const QByteArray &file, int *writer, int *index)
{
    static const QRegularExpression header(
        QStringLiteral("^Notavo stress writer (\\d+) message (\\d+) size (\\d+)\r\n"));
    const QRegularExpressionMatch match = header.match(QString::fromLatin1(file.left(80)));
    if (!match.hasMatch())
        return false;
    const int w = match.captured(1).toInt();
    const int i = match.captured(2).toInt();
    const int size = match.captured(3).toInt();
    if (size < 0 || size > 64 * 1024 * 1024 || file != fileBytes(w, i, size))
        return false;
    *writer = w;
    *index = i;
    return true;
}

QString valueText(int which)
{
    return which == 0 ? QStringLiteral("Ann Smith ") + QString(3000, QLatin1Char('a'))
                      : QStringLiteral("Bob Jones ") + QString(5000, QLatin1Char('b'));
}

} // namespace StressContent
