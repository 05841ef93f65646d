#pragma once

#include <QWidget>

class AppState;
class FileList;
class FolderPoller;

// The hidden window holding the two counting lists the main window counts: File1 lists the
// logged-in slot's messages in the data folder, File2 those in the History folder.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(AppState &state, QWidget *parent = nullptr);

    FileList *File1;
    FileList *File2;

private:
    FolderPoller *m_poller;
};
