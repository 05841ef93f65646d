#include "Form3.h"

#include "fs/FileList.h"
#include "fs/FolderPoller.h"

namespace {

constexpr int HistoryPollIntervalMs = 500;

} // namespace

Form3::Form3(AppState &, QWidget *parent)
    : QWidget(parent)
    , File1(new FileList(this))
    , File2(new FileList(this))
    , m_poller(new FolderPoller(this))
{
    setObjectName(QStringLiteral("Form3"));
    File1->setObjectName(QStringLiteral("File1"));
    File2->setObjectName(QStringLiteral("File2"));
    // The counting lists are polled all the time: on a share that happens off the windows'
    // thread, so a share that stops answering freezes nothing. A new message is what the
    // program is for; the History count may take half a second.
    File1->setPoller(m_poller);
    File2->setPoller(m_poller, HistoryPollIntervalMs);
}
