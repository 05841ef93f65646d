#pragma once

#include "store/MessageVersion.h"

#include <QWidget>

class AppState;
class MessageTextEdit;
class PictureButton;
class QLineEdit;
struct StoreResult;

// The message viewer: one message file as editable text, with Save, Save As, Delete, the move
// to the other folder and Exit. The browser's Open loads it through showMessage().
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(AppState &state, QWidget *parent = nullptr);

    MessageTextEdit *Text1;
    QLineEdit *filn; // file name of the shown message, with its extension
    QLineEdit *pat; // its folder, as the browser's list reports it
    PictureButton *exity;
    PictureButton *exitp;
    PictureButton *history;
    PictureButton *historyp;
    PictureButton *inbox;
    PictureButton *inboxp;
    PictureButton *sav;
    PictureButton *savp;
    PictureButton *del;
    PictureButton *delp;
    PictureButton *saveas;
    PictureButton *saveasp;

    void exity_MouseUp();
    void history_MouseUp();
    void inbox_MouseUp();
    void sav_MouseUp();
    void del_MouseUp();
    void saveas_MouseUp();

    // Shows text, read from the message name in folder, in front: Text1, filn and pat, and
    // the move button to the other folder. The text is the reference for unsaved edits, and
    // the file's version is remembered: before anything is written over it or the file is
    // taken away, what is on disk then is checked against it.
    void showMessage(const QString &folder, const QString &name, const QString &text);

    // The shown file: pat joined with filn.
    QString shownFile() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // True for a successful write; otherwise tells the user (failureText under failureTitle,
    // or the character that cannot be stored) and returns false.
    bool written(const StoreResult &result, const QString &failureText,
                 const QString &failureTitle);
    // Writes Text1 to the shown file, telling the user of a failure.
    bool saveShown();
    // Save as the user means it: into the shown file when it is still the version loaded,
    // otherwise where the user chose (or nowhere). False when nothing was written.
    bool saveGuarded();
    // Writes Text1 as a new file named fileName (or its first free alternative) beside the
    // shown one, which the window shows from now on.
    bool saveAsNewFile(const QString &fileName);
    // What became of the loaded version of the shown file.
    MessageVersion::Change changeOnDisk() const;
    void hideMoveButtons();

    AppState &m_state;
    MessageVersion m_loaded;
};
