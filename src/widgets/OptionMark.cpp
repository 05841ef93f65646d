#include "OptionMark.h"

#include <QLabel>

namespace {

const QLatin1String On("X");

} // namespace

QString OptionMark::text(bool on)
{
    return on ? QString(On) : QString();
}

std::optional<bool> OptionMark::read(const QLabel *mark)
{
    const QString shown = mark->text();
    if (shown == On)
        return true;
    if (shown.isEmpty())
        return false;
    return std::nullopt;
}
