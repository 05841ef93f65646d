#include "FileListBox.h"

#include "fs/FileList.h"

FileListBox::FileListBox(const QString &name, QWidget *parent)
    : QListWidget(parent)
    , m_list(new FileList(this))
{
    setObjectName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAccessibleName(tr("Messages"));
    connect(m_list, &FileList::namesChanged, this, &FileListBox::showNames);
}

QString FileListBox::path() const
{
    return m_list->path();
}

bool FileListBox::setPath(const QString &folder)
{
    return m_list->setPath(folder);
}

QString FileListBox::pattern() const
{
    return m_list->pattern();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_list->setPattern(pattern);
}

bool FileListBox::refresh()
{
    return m_list->refresh();
}

int FileListBox::listCount() const
{
    return m_list->count();
}

QString FileListBox::fileName() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

bool FileListBox::selectName(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}

void FileListBox::showNames()
{
    // Keep the selection on the same name when it is still listed, as a list box does.
    const QString selected = fileName();
    clear();
    addItems(m_list->names());
    if (!selected.isEmpty())
        selectName(selected);
}
