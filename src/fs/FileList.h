#pragma once

#include "FolderPoller.h"
#include "FolderWatch.h"
#include "NamePattern.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

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
// A list given a FolderPoller has a share polled on the poller's thread: nothing then waits
// for the share on the list's thread, not even setting the folder or the pattern. Those take
// the latest listing of the same folder and pattern the poller has (another list's) or none,
// and the names follow as soon as the share answers (namesChanged). refresh() takes the
// poller's latest listing at once and asks for a fresh one when the folder changed through
// this computer, whose names follow as soon as the share answers; other computers' changes
// follow within the poll interval (changePending). While the share does not answer, the list
// keeps its last names.
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
    // holds no names (count 0). A polled share is not read here: the folder is taken, and the
    // result is the latest listing's (true when there is none yet).
    bool setPath(const QString &folder);

    QString pattern() const { return m_pattern.text(); }
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
    // How the names follow the folder.
    enum class Follow {
        Reading, // read on this thread (a local folder, or no poller)
        Polled, // the poller lists the folder; the names are the last answer taken
        RefreshWaiting, // the poller's answer to a refresh() (or to a new folder or pattern) is
                        // taken as soon as it comes
    };

    bool polledInBackground() const;
    void followInBackground();
    void takeAnswer(const FolderPoller::Answer &answer);
    void adoptWaitingAnswer();
    bool readWholeFolder();
    // Lists folder with the pattern, telling the watch first and what it took after.
    bool readFolder(const QString &folder, QStringList *names);
    void applyChangedNames(const QSet<QString> &changed);
    void setNames(QStringList names);

    QString m_path;
    NamePattern m_pattern;
    QStringList m_names;
    FolderWatch m_watch;
    // The names are those of a listing that succeeded; after a failure the folder is read in
    // full (and watched anew) next time.
    bool m_listedOk = true;
    Follow m_follow = Follow::Reading;
    QPointer<FolderPoller> m_poller;
    int m_pollIntervalMs = FolderPoller::TickMs;
    FolderPoller::Ticket m_ticket = 0; // while the poller follows this list's folder
    std::optional<FolderPoller::Answer> m_waiting; // a newer listing, taken at refresh()
};
