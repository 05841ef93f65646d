#include "MessageFiles.h"

#include "core/AppState.h"
#include "desktop/Dialogs.h"
#include "store/Store.h"

#include <QCoreApplication>

#include <cerrno>

namespace {

QString moveTitle()
{
    return QCoreApplication::translate("MessageFiles", "Cannot Move");
}

} // namespace

MessageFiles::MessageFiles(AppState &state)
    : m_state(state)
{ }

bool MessageFiles::read(const QString &path, QString *text, const QString &title) const
{
    const StoreResult result = Store::readWholeFile(path, text);
    if (!result.ok())
        report(result, title);
    return result.ok();
}

bool MessageFiles::moveToHistory(const QString &sourcePath) const
{
    bool readFailed = false;
    const StoreResult result = Store::moveMessage(sourcePath, m_state.historyFolder(), &readFailed);
    if (result.ok())
        return true;
    // A missing or read-only History folder is what the old box describes; anything else
    // (an unreadable source, a link planted at the destination, a share that failed the
    // write) gets its own sentence naming the cause.
    const bool notWritable = result.error == StoreResult::Error::IoError
        && (result.systemError == EACCES || result.systemError == EPERM
            || result.systemError == EROFS);
    if (!readFailed && (result.error == StoreResult::Error::NotFound || notWritable)) {
        m_state.dialogs().messageBox(historyMissingText(m_state.historyFolder()),
                                     Dialogs::applicationTitle(), Dialogs::Icon::None);
    } else {
        report(result, moveTitle());
    }
    return false;
}

bool MessageFiles::moveToInbox(const QString &sourcePath) const
{
    const StoreResult result = Store::moveMessage(sourcePath, m_state.dataFolder());
    if (!result.ok())
        report(result, moveTitle());
    return result.ok();
}

void MessageFiles::report(const StoreResult &result, const QString &title) const
{
    m_state.dialogs().messageBox(result.describe(), title, Dialogs::Icon::Exclamation);
}

QString MessageFiles::historyMissingText(const QString &historyFolder)
{
    return QStringLiteral("Cannot find history folder, make sure ") + historyFolder
        + QStringLiteral(" exists.");
}
