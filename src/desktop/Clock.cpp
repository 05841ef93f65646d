#include "Clock.h"

#include "store/ComposedMessage.h"

#include <QDateTime>

QString SystemClock::shortTime() const
{
    return ComposedMessage::timeText(QTime::currentTime());
}

QString SystemClock::shortDate() const
{
    return ComposedMessage::dateText(QDate::currentDate());
}
