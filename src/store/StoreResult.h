#pragma once

#include <QChar>
#include <QString>

// The outcome of a store operation, with enough detail for a window to tell the user.
struct StoreResult
{
    enum class Error {
        None,
        NotFound, // the file, or a folder on its path, does not exist
        NotRegular, // a link, folder or device where a message or account file should be
        TooLarge, // a message file above the size limit
        Unencodable, // the text holds a character Windows-1252 cannot store
        InvalidName, // a name holding a separator, "." or ".."
        IoError, // permissions, full disk and the like
        NotRemoved, // a move or rename wrote its copy but could not take the source away
    };

    Error error = Error::None;
    QString path; // the file concerned
    QChar unencodable; // for Unencodable: its first UTF-16 unit
    char32_t unencodableCodePoint = 0; // for Unencodable: the whole character
    int systemError = 0; // errno, when the system reported one

    bool ok() const { return error == Error::None; }

    // A sentence for a message box, naming the file (and the character, for Unencodable).
    QString describe() const;

    static StoreResult success() { return {}; }
    static StoreResult failure(Error error, const QString &path, int systemError = 0);
};
