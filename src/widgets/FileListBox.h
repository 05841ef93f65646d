#pragma once

#include <QListWidget>

class FileList;

// A file list box: a FileList shown as a list with at most one selected name.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(const QString &name, QWidget *parent = nullptr);

    FileList &list() { return *m_list; }

    QString path() const;
    // See FileList::setPath: false when the folder cannot be listed (previous folder kept).
    bool setPath(const QString &folder);
    QString pattern() const;
    void setPattern(const QString &pattern);
    bool refresh();
    int listCount() const;

    // The selected name, or "" when nothing is selected.
    QString fileName() const;
    // Selects name when listed; returns whether it is.
    bool selectName(const QString &name);

private:
    void showNames();

    FileList *m_list;
};
