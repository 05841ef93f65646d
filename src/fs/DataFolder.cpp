#include "DataFolder.h"

#include <QCoreApplication>

QString dataFolder()
{
    const QString recorded = qEnvironmentVariable("NOTAVO_DATA_FOLDER");
    return recorded.isEmpty() ? QCoreApplication::applicationDirPath() : recorded;
}
