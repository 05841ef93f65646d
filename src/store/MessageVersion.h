#pragma once

#include <QByteArray>
#include <QString>

// One version of a message file: which file the name stood for (device, inode), its size and
// modification time, and a hash of its bytes. A window that loaded a message keeps the
// version, so that before it writes or takes the file away it can tell whether someone else
// has saved, renamed, moved or deleted it since.
class MessageVersion
{
public:
    enum class Change {
        None, // the same bytes (also when a sync or another copy rewrote them unchanged)
        Changed, // other bytes under the name: a newer save
        Gone, // nothing under the name: renamed, moved or deleted
    };

    // No file: every check finds the name gone or taken.
    MessageVersion() = default;

    // The version at path now. A file that cannot be read for another reason than its absence
    // gives a version every check finds changed.
    static MessageVersion read(const QString &path);

    // The version at path whose whole-file read is shownText, as a window shows it. When the
    // file holds something else by now, every check finds it changed.
    static MessageVersion ofShown(const QString &path, const QString &shownText);

    // The version a whole-text write of text to path has just made. When the file no longer
    // holds what was written (another save landed straight after), the next check says so.
    static MessageVersion afterWriting(const QString &path, const QString &text);

    // What became of this version at path. A file that exists but cannot be read counts as
    // unchanged: the operation itself then meets the failure and reports it.
    Change changeAt(const QString &path) const;

    bool exists() const { return m_exists; }
    quint64 device() const { return m_device; }
    quint64 inode() const { return m_inode; }
    qint64 size() const { return m_size; }
    qint64 modifiedNs() const { return m_modifiedNs; }

private:
    struct Found;
    static Found readNow(const QString &path);
    static MessageVersion of(const Found &found);
    static QByteArray hashOf(const QByteArray &bytes);

    bool m_exists = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
    QByteArray m_hash; // empty: content unknown
};
