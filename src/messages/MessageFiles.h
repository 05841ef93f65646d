#pragma once

#include <QString>

class AppState;
struct StoreResult;

// The message-file steps the viewer and the browser share, with the failure reporting both
// give them: reading a listed file, moving one between the data folder and the History
// folder. A listed file may have vanished or been replaced since the list was read (other
// people share the folders), so every failure is told to the user and nothing is lost.
class MessageFiles
{
public:
    explicit MessageFiles(AppState &state);

    // Whole-file read; on failure tells the user under title and returns false.
    bool read(const QString &path, QString *text, const QString &title) const;

    // Message move into the History folder. A destination that cannot be written gives the
    // "Cannot find history folder" box; a source that cannot be read names the file.
    bool moveToHistory(const QString &sourcePath) const;

    // Message move into the data folder.
    bool moveToInbox(const QString &sourcePath) const;

    // A message box with the failure's own sentence and an exclamation icon.
    void report(const StoreResult &result, const QString &title) const;

    // The box of a failed move into the History folder.
    static QString historyMissingText(const QString &historyFolder);

private:
    AppState &m_state;
};
