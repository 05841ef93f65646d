#include "Clock.h"

#include <QDateTime>
#include <QLocale>

QString SystemClock::shortTime() const
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
}

QString SystemClock::shortDate() const
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}
