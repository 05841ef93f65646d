#pragma once

#include <QWidget>

class AppState;
class FileList;

// The hidden window that names the two counting lists the main window counts: File1 lists
// the logged-in slot's messages in the data folder, File2 those in the History folder. The
// lists belong to the state; the window only keeps their old names and its place among the
// windows the background hides and brings back.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(AppState &state, QWidget *parent = nullptr);

    FileList *File1;
    FileList *File2;
};
