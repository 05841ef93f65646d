#include "ConflictCopy.h"

#include <QRegularExpression>

namespace Store {

bool isConflictCopy(const QString &fileName, QString *original)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(.*)\\.sync-conflict-[0-9]{8}-[0-9]{6}-[A-Z0-9]{7}(\\.[^.]*)?$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return false;
    if (original)
        *original = match.captured(1) + match.captured(2);
    return true;
}

} // namespace Store
