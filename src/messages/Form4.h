#pragma once

#include <QWidget>

class AppState;
class FileListBox;
class PictureButton;

// The message browser: the logged-in slot's messages in the data folder (inbox view) or in
// the History folder (History view), with Open, Rename, Delete, the move to the other folder
// and Exit. The view is only which tab pictures show and which folder File1 lists.
class Form4 : public QWidget
{
    Q_OBJECT
public:
    explicit Form4(AppState &state, QWidget *parent = nullptr);

    FileListBox *File1;
    PictureButton *inbred;
    PictureButton *inblur;
    PictureButton *hisred;
    PictureButton *hisblur;
    PictureButton *exity;
    PictureButton *exitp;
    PictureButton *history;
    PictureButton *historyp;
    PictureButton *inbox;
    PictureButton *inboxp;
    PictureButton *rename;
    PictureButton *renamep;
    PictureButton *dely;
    PictureButton *delp;
    PictureButton *openy;
    PictureButton *openp;

    void OpenInbox();
    void OpenHistory();

    void Form_Load();
    void hisblur_MouseDown();
    void hisblur_MouseUp();
    void inblur_MouseDown();
    void inblur_MouseUp();
    void openy_MouseUp();
    void rename_MouseUp();
    void dely_MouseUp();
    void history_MouseUp();
    void inbox_MouseUp();
    void exity_MouseUp();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showInboxView();
    void showHistoryView();
    void showBrowser();
    void applySlotPattern();
    // The selected entry's path, or "" when nothing is selected.
    QString selectedPath() const;

    AppState &m_state;
};
