#include "Store.h"

#include "Cp1252Codec.h"
#include "fs/FileClaim.h"
#include "fs/PathFunctions.h"
#include "fs/SafeFile.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <sys/stat.h>

namespace Store {

namespace {

const QByteArray CrLf("\r\n");

StoreResult fromSafeFile(const SafeFile::Result &result, const QString &path)
{
    using Status = SafeFile::Status;
    switch (result.status) {
    case Status::Ok:
        return StoreResult::success();
    case Status::NotFound:
        return StoreResult::failure(StoreResult::Error::NotFound, path, result.systemError);
    case Status::NotRegular:
        return StoreResult::failure(StoreResult::Error::NotRegular, path, result.systemError);
    case Status::TooLarge:
        return StoreResult::failure(StoreResult::Error::TooLarge, path, result.systemError);
    case Status::Changed:
    case Status::IoError:
        break;
    }
    return StoreResult::failure(StoreResult::Error::IoError, path, result.systemError);
}

// Encodes text + CR LF into bytes; fails, and gives nothing to write, when a character cannot
// be stored or the file would be too large to open again.
StoreResult encodeLine(const QString &path, const QString &text, QByteArray *bytes)
{
    if (!Cp1252Codec::encode(text, bytes)) {
        const qsizetype at = Cp1252Codec::firstUnencodable(text);
        StoreResult result = StoreResult::failure(StoreResult::Error::Unencodable, path);
        result.unencodable = text.at(at);
        result.unencodableCodePoint = Cp1252Codec::codePointAt(text, at);
        return result;
    }
    *bytes += CrLf;
    // What is written must open again: the reads refuse anything above the limit.
    if (bytes->size() > MaxMessageBytes)
        return StoreResult::failure(StoreResult::Error::TooLarge, path, EFBIG);
    return StoreResult::success();
}

// Encodes text + CR LF and replaces the file with it; nothing is written when it cannot be
// encoded.
StoreResult writeLine(const QString &path, const QString &text, int permissions = -1)
{
    QByteArray bytes;
    const StoreResult encoded = encodeLine(path, text, &bytes);
    if (!encoded.ok())
        return encoded;
    return fromSafeFile(SafeFile::replace(path, bytes, SafeFile::FolderLinks::Refuse, permissions),
                        path);
}

} // namespace

StoreResult writeSingleValue(const QString &path, const QString &value)
{
    return writeLine(path, value);
}

QString firstFieldOf(const QByteArray &bytes)
{
    const QString text = Cp1252Codec::decode(bytes);
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const auto isLineEnd = [](QChar c) {
        return c == QLatin1Char('\r') || c == QLatin1Char('\n');
    };
    if (i < text.size() && text.at(i) == QLatin1Char('"')) {
        const qsizetype start = ++i;
        while (i < text.size() && text.at(i) != QLatin1Char('"') && !isLineEnd(text.at(i)))
            ++i;
        return text.mid(start, i - start);
    }
    const qsizetype start = i;
    while (i < text.size() && text.at(i) != QLatin1Char(',') && !isLineEnd(text.at(i)))
        ++i;
    return text.mid(start, i - start);
}

QString readFirstField(const QString &path, StoreResult *result)
{
    QByteArray bytes;
    StoreResult read = fromSafeFile(SafeFile::readAll(path, &bytes, MaxMessageBytes), path);
    // A zero-byte file holds no value at all, unlike one holding an empty line.
    if (read.ok() && bytes.isEmpty())
        read = StoreResult::failure(StoreResult::Error::NotFound, path);
    if (result)
        *result = read;
    return read.ok() ? firstFieldOf(bytes) : QString();
}

QString guardedRead(const QString &path, const QString &fallback)
{
    if (!FileExists(path))
        return fallback;
    StoreResult result;
    const QString value = readFirstField(path, &result);
    return result.ok() ? value : fallback;
}

StoreResult writeWholeText(const QString &path, const QString &text)
{
    return writeLine(path, text);
}

StoreResult writeNewWholeText(const QString &path, const QString &text, QString *writtenPath)
{
    writtenPath->clear();
    QByteArray bytes;
    const StoreResult encoded = encodeLine(path, text, &bytes);
    if (!encoded.ok())
        return encoded;
    return fromSafeFile(SafeFile::create(path, bytes, writtenPath), path);
}

QString wholeTextOf(const QByteArray &bytes)
{
    const QString text = Cp1252Codec::decode(bytes);
    QString result;
    result.reserve(text.size() + text.size() / 32 + 2);
    qsizetype lineStart = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text.at(i) != QLatin1Char('\r'))
            continue;
        result += QStringView(text).mid(lineStart, i - lineStart);
        result += QLatin1String("\r\n");
        if (i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < size) {
        result += QStringView(text).mid(lineStart);
        result += QLatin1String("\r\n");
    }
    return result;
}

StoreResult readWholeFile(const QString &path, QString *text)
{
    QByteArray bytes;
    const StoreResult result = fromSafeFile(SafeFile::readAll(path, &bytes, MaxMessageBytes), path);
    *text = result.ok() ? wholeTextOf(bytes) : QString();
    return result;
}

StoreResult moveMessage(const QString &sourcePath, const QString &destinationFolder,
                        bool *readFailed)
{
    return renameMessage(sourcePath, AddBackslash(destinationFolder) + FileNamePart(sourcePath),
                         readFailed);
}

StoreResult renameMessage(const QString &sourcePath, const QString &destinationPath,
                          bool *readFailed)
{
    QByteArray bytes;
    SafeFile::FileIdentity source;
    const StoreResult read
        = fromSafeFile(SafeFile::readAll(sourcePath, &bytes, MaxMessageBytes, &source), sourcePath);
    if (readFailed)
        *readFailed = !read.ok();
    if (!read.ok())
        return read;
    // A message is never empty as written (it ends with CR LF): an empty one is most likely
    // being rewritten in place by another computer right now. Give it a moment to fill.
    for (int wait = 0; wait < 10 && bytes.isEmpty(); ++wait) {
        QThread::msleep(100);
        const SafeFile::Result again
            = SafeFile::readAll(sourcePath, &bytes, MaxMessageBytes, &source);
        if (!again.ok()) {
            if (readFailed)
                *readFailed = true;
            return fromSafeFile(again, sourcePath);
        }
    }
    const StoreResult written
        = writeLine(destinationPath, wholeTextOf(bytes), int(source.permissions));
    if (!written.ok())
        return written;
    // Take the source away by renaming it aside: a save that lands after that is a new file
    // and stays. Delete what was taken only when it is what was copied; a save that landed
    // between the read and now goes back under its name. When source and destination are one
    // file (a case-blind share), the copy itself was taken and goes back the same way.
    FileClaim claim;
    SafeFile::Result taken = claim.take(sourcePath);
    // A Samba share refuses the rename while another computer has the file open (it is
    // writing it): that takes a moment.
    for (int retry = 0; retry < 10 && taken.systemError == EBUSY; ++retry) {
        QThread::msleep(50);
        taken = claim.take(sourcePath);
    }
    if (taken.status == SafeFile::Status::NotFound)
        return StoreResult::success(); // moved or deleted by another copy meanwhile
    if (!taken.ok())
        return StoreResult::failure(StoreResult::Error::NotRemoved, sourcePath, taken.systemError);
    QByteArray claimed;
    if (!claim.read(&claimed, MaxMessageBytes).ok()) {
        claim.putBack();
        return StoreResult::success();
    }
    // Another computer rewriting the file in place (truncate, then write) was caught midway:
    // what was copied is the start of what is held now, or nothing. Such a copy must not be
    // filed; the whole text is, once it holds still (the writer may still be at it).
    // (Not when what is held is the copy itself: source and destination are one file.)
    const auto copyOf = [](const QByteArray &original) {
        QByteArray copy;
        Cp1252Codec::encode(wholeTextOf(original), &copy);
        return copy + CrLf;
    };
    bool held = true;
    for (int attempt = 0; attempt < 3 && held && claimed != bytes && claimed.startsWith(bytes)
         && claimed != copyOf(bytes);
         ++attempt) {
        const StoreResult rewritten
            = writeLine(destinationPath, wholeTextOf(claimed), int(source.permissions));
        if (!rewritten.ok()) {
            claim.putBack();
            return rewritten;
        }
        bytes = claimed;
        held = claim.read(&claimed, MaxMessageBytes).ok();
    }
    if (held && claimed == bytes)
        claim.release();
    else
        claim.putBack(); // a newer save stays under its name; the copy holds the older one
    return StoreResult::success();
}

StoreResult deleteMessage(const QString &path)
{
    return fromSafeFile(SafeFile::remove(path), path);
}

} // namespace Store
