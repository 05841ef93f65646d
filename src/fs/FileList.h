#pragma once

#include "FolderPoller.h"
#include "FolderWatch.h"

#include <QObject>
#include <QPointer>
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
//
// A list given a FolderPoller has a share polled on the poller's thread: refresh() then never
// waits for the share. It takes the poller's latest listing at once and asks for a fresh one
// when the folder changed through this computer, whose names follow as soon as the share
// answers (namesChanged); other computers' changes follow within the poll interval. While the
// share does not answer, the list keeps its last names.
class FileList : public QObject
{
    Q_OBJECT
public:
    explicit FileList(QObject *parent = nullptr);
    ~FileList() override;

    // Polls shares on poller's thread from now on, listing them at least every intervalMs.
    void setPoller(FolderPoller *poller, int intervalMs = FolderPoller::TickMs);

    QString path() const { return m_path; }
    // Points the list at folder and reads it. When the folder cannot be listed, returns false,
    // keeps the previous folder (or, with none, takes this one to list once it can be) and
    // holds no names (count 0).
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
    static bool matches(const QString &pattern, const QString &name);

    // Reads the names of folder that pattern lists, sorted; false when it cannot be listed.
    // Safe on any thread.
    static bool readFolder(const QString &folder, const QString &pattern, QStringList *names);

    // A listing from the poller (on this list's thread).
    void takePolledAnswer(const FolderPoller::Answer &answer);

signals:
    // Emitted after a read that changed the names.
    void namesChanged();
    // The system reported a change in the folder; the names follow at the next refresh().
    void changePending();

private:
    bool polledInBackground() const;
    void followInBackground();
    bool adoptPolledAnswer();
    bool readWholeFolder();
    void applyChangedNames(const QSet<QString> &changed);
    void setNames(QStringList names);

    QString m_path;
    QString m_pattern = QStringLiteral("*.msg");
    QStringList m_names;
    FolderWatch m_watch;
    bool m_readFailed = false; // the last read failed: read in full (and watch anew) next time
    QPointer<FolderPoller> m_poller;
    int m_pollIntervalMs = FolderPoller::TickMs;
    quint64 m_generation = 0; // of the folder and pattern the poller lists
    FolderPoller::Answer m_polled; // the poller's latest listing, not yet taken
    bool m_havePolled = false;
    bool m_adoptRequested = false; // a refresh() waits for the poller's fresh listing
    bool m_polledOk = true;
    bool m_following = false; // the poller polls this list's folder
};
