#pragma once

#include <QWidget>

class FileListBox;
class AppState;

class Form4 : public QWidget
{
    Q_OBJECT
public:
    explicit Form4(AppState &state, QWidget *parent = nullptr);

    FileListBox *File1;
    void OpenInbox();
    void OpenHistory();

private:
    AppState &m_state;
};
