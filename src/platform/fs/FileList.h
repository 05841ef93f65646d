#pragma once

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
// called; it does not watch the folder on its own.
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

    // Re-reads the folder. Returns false when it cannot be listed (the list is then empty).
    bool refresh();

    int count() const { return int(m_names.size()); }
    const QStringList &names() const { return m_names; }

    // True when name matches the pattern (the extension part without regard to case).
    bool matches(const QString &name) const;

signals:
    // Emitted after a read that changed the names.
    void namesChanged();

private:
    bool readFolder(const QString &folder, QStringList *names) const;
    void setNames(QStringList names);

    QString m_path;
    QString m_pattern = QStringLiteral("*.msg");
    QStringList m_names;
};
