#include "MessageVersion.h"

#include "Cp1252Codec.h"
#include "Store.h"
#include "fs/SafeFile.h"

#include <QCryptographicHash>

struct MessageVersion::Found
{
    SafeFile::Status status = SafeFile::Status::Ok;
    SafeFile::FileIdentity identity;
    QByteArray bytes;
};

MessageVersion::Found MessageVersion::readNow(const QString &path)
{
    Found found;
    found.status
        = SafeFile::readAll(path, &found.bytes, Store::MaxMessageBytes, &found.identity).status;
    return found;
}

QByteArray MessageVersion::hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

MessageVersion MessageVersion::read(const QString &path)
{
    return of(readNow(path));
}

MessageVersion MessageVersion::ofShown(const QString &path, const QString &shownText)
{
    const Found found = readNow(path);
    MessageVersion version = of(found);
    if (found.status == SafeFile::Status::Ok && Store::wholeTextOf(found.bytes) != shownText)
        version.m_hash.clear();
    return version;
}

MessageVersion MessageVersion::of(const Found &found)
{
    MessageVersion version;
    if (found.status == SafeFile::Status::NotFound)
        return version;
    version.m_exists = true;
    if (found.status != SafeFile::Status::Ok)
        return version;
    version.m_device = found.identity.device;
    version.m_inode = found.identity.inode;
    version.m_size = found.identity.size;
    version.m_modifiedNs = found.identity.modifiedNs;
    version.m_hash = hashOf(found.bytes);
    return version;
}

MessageVersion MessageVersion::afterWriting(const QString &path, const QString &text)
{
    QByteArray written;
    Cp1252Codec::encode(text, &written);
    written += "\r\n";
    MessageVersion version = read(path);
    const QByteArray expected = hashOf(written);
    if (version.m_hash != expected) {
        // Remember what we wrote, not what is there: that is someone else's.
        version = MessageVersion();
        version.m_exists = true;
        version.m_size = written.size();
        version.m_hash = expected;
    }
    return version;
}

MessageVersion::Change MessageVersion::changeAt(const QString &path) const
{
    const Found found = readNow(path);
    if (found.status == SafeFile::Status::NotFound)
        return Change::Gone;
    // Larger than any message: not what was loaded or written here.
    if (found.status == SafeFile::Status::TooLarge)
        return Change::Changed;
    if (found.status != SafeFile::Status::Ok)
        return Change::None;
    if (!m_exists || m_hash.isEmpty())
        return Change::Changed;
    // The bytes decide: a rewrite with the same text (a sync engine's, another copy's save of
    // the same words) loses nothing, and a change within one time stamp tick is still seen.
    return hashOf(found.bytes) == m_hash ? Change::None : Change::Changed;
}
