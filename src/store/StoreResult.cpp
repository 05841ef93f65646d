#include "StoreResult.h"

#include <QCoreApplication>

#include <cstring>

StoreResult StoreResult::failure(Error error, const QString &path, int systemError)
{
    StoreResult result;
    result.error = error;
    result.path = path;
    result.systemError = systemError;
    return result;
}

QString StoreResult::describe() const
{
    switch (error) {
    case Error::None:
        return QString();
    case Error::NotFound:
        return QCoreApplication::translate("Store", "The file \"%1\" or its folder does not exist.")
            .arg(path);
    case Error::NotRegular:
        return QCoreApplication::translate(
                   "Store", "\"%1\" is not an ordinary file (a link or a folder); it was not used.")
            .arg(path);
    case Error::TooLarge:
        return QCoreApplication::translate(
                   "Store", "The message \"%1\" is larger than 16 MB, the most a message may hold.")
            .arg(path);
    case Error::Unencodable: {
        const char32_t code = unencodableCodePoint ? unencodableCodePoint : unencodable.unicode();
        const QString codeText = QStringLiteral("U+")
            + QString::number(uint(code), 16).toUpper().rightJustified(4, u'0');
        // An invisible or broken character is named by its number alone.
        const QString shown = QChar::isPrint(code) && !QChar::isSpace(code)
            ? QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&code, 1), codeText)
            : codeText;
        return QCoreApplication::translate(
                   "Store",
                   "The text holds the character %1, which cannot be stored in a message file. "
                   "Nothing was written; remove or replace it and try again.")
            .arg(shown);
    }
    case Error::InvalidName:
        return QCoreApplication::translate("Store", "\"%1\" is not a valid message name.")
            .arg(path);
    case Error::NotRemoved:
        return QCoreApplication::translate("Store",
                                           "The message was copied, but \"%1\" could not be "
                                           "removed: %2. It is now in both places.")
            .arg(path, QString::fromLocal8Bit(std::strerror(systemError)));
    case Error::IoError:
        break;
    }
    return QCoreApplication::translate("Store", "Could not write or read \"%1\": %2.")
        .arg(path, QString::fromLocal8Bit(std::strerror(systemError)));
}
