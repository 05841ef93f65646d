#pragma once

#include <QByteArray>
#include <QString>

// Byte-level file access that never follows a symbolic link and never leaves a half-written
// file: other people can write into a shared data folder, so a planted link must not make us
// read or write anywhere else, and a crash or full disk must not cost the old content.
namespace SafeFile {

enum class Status {
    Ok,
    NotFound,   // the file or a folder on its path does not exist
    NotRegular, // a link, a folder, a device: refused
    TooLarge,   // larger than the caller's limit; nothing read
    IoError,    // anything else (permissions, disk full, ...)
};

struct Result
{
    Status status = Status::Ok;
    int systemError = 0; // errno of the failing call, 0 when none
    bool ok() const { return status == Status::Ok; }
};

// Reads the whole regular file at path without following a link in its last component.
Result readAll(const QString &path, QByteArray *out, qint64 maxBytes);

// Replaces (or creates) the file with data: a temporary dot-file in the same folder,
// created O_EXCL|O_NOFOLLOW, written, fsync'ed, closed, then renamed over the target.
// The target must be absent or a regular file. On failure the old file is untouched and
// no temporary remains.
Result replace(const QString &path, const QByteArray &data);

// Deletes a regular file; refuses links and anything that is not a regular file.
Result remove(const QString &path);

// lstat-based: true for a regular file that is not a link.
bool isRegularFile(const QString &path);

// Prefix of our temporary files; listings skip dot-files, so no copy ever counts one.
inline constexpr const char *TemporaryPrefix = ".notavo-tmp-";

// Removes temporaries left in folder by a crashed copy (older than maxAgeSeconds).
int removeStaleTemporaries(const QString &folder, int maxAgeSeconds);

// Test seam: when set, replace() fails with IoError (and the given errno) after writing the
// temporary, as a full disk would.
void setInjectedWriteFailure(int systemError);

} // namespace SafeFile
