#pragma once

#include "FolderWatch.h"

#include <QObject>
#include <QString>
#include <QStringList>

// A folder listing with a wildcard pattern, like a directory file list control: it holds the
// regular files of one folder whose names match the pattern, sorted without regard to case.
// Links, dot-files and folders are never listed, and a folder that is itself a link is not
// listed at all. The pattern's extension matches without regard to case, as on a shared
// Windows drive.
//
// The list reads its folder when the folder or the pattern is set and when refresh() is
// called; its names never change in between. A FolderWatch makes refresh() cheap: an
// unchanged folder is not read again, and a change the system named updates just that name.
class FileList : public QObject
{
    Q_OBJECT
public:
    explicit FileList(QObject *parent = nullptr);

    QString path() const { return m_path; }
    // Points the list at folder and reads it. When the folder cannot be listed, returns false,
    // keeps the previous folder and holds no names (count 0).
    bool setPath(const QString &folder);

    QString pattern() const { return m_pattern; }
    // Sets the pattern ("*.ms3") and re-reads the folder.
    void setPattern(const QString &pattern);

    // Re-reads the folder (only what changed, when that is known). Returns false when it
    // cannot be listed (the list is then empty).
    bool refresh();

    // How changes are found for the current folder.
    FolderWatch::Mode watchMode() const { return m_watch.mode(); }

    int count() const { return int(m_names.size()); }
    const QStringList &names() const { return m_names; }

    // True when name matches the pattern (the extension part without regard to case).
    bool matches(const QString &name) const;

signals:
    // Emitted after a read that changed the names.
    void namesChanged();
    // The system reported a change in the folder; the names follow at the next refresh().
    void changePending();

private:
    bool readFolder(const QString &folder, QStringList *names) const;
    bool readWholeFolder();
    void applyChangedNames(const QSet<QString> &changed);
    void setNames(QStringList names);

    QString m_path;
    QString m_pattern = QStringLiteral("*.msg");
    QStringList m_names;
    FolderWatch m_watch;
    bool m_readFailed = false; // the last read failed: read in full (and watch anew) next time
};
