#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

class AppState;
class PictureButton;
class QLabel;
class QLineEdit;
class QListWidget;
struct AccountFile;
struct Slot;

// The account window: choose a slot (its password asked when it has one), edit its full name,
// user name and password, and save. The boxes of all seven slots lie stacked on the same three
// rows; only the chosen slot's are shown, and every box keeps its text while hidden, so a save
// writes the edits of every slot chosen since the window opened.
class usopt : public QWidget
{
    Q_OBJECT
public:
    explicit usopt(AppState &state, QWidget *parent = nullptr);

    QListWidget *us;
    QLabel *Label1;
    QLabel *Label3;
    QLabel *Label2;
    // Full name, user name, password of each slot; dp only stands in for the default user,
    // who has no password.
    QLineEdit *df, *du, *dp;
    QLineEdit *u1f, *u1u, *u1p;
    QLineEdit *u2f, *u2u, *u2p;
    QLineEdit *u3f, *u3u, *u3p;
    QLineEdit *u4f, *u4u, *u4p;
    QLineEdit *u5f, *u5u, *u5p;
    QLineEdit *u6f, *u6u, *u6p;
    PictureButton *sav;
    PictureButton *savp;
    PictureButton *canc;
    PictureButton *cancp;
    PictureButton *ok;
    PictureButton *okp;

    // Handlers.
    void us_Click();
    void sav_MouseUp();
    void ok_MouseUp();
    void canc_MouseUp();

    // Writes every non-empty box to its account file, in the store's fixed order, shown or
    // hidden. Returns false when a write failed; the user has been told which.
    bool saveAccounts();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct SlotBoxes
    {
        const Slot *slot;
        QLineEdit *fullName;
        QLineEdit *userName;
        QLineEdit *password;
    };

    void createBoxes();
    void scheduleChoice();
    bool passwordAccepted(const Slot &slot);
    // The box that holds a file's value.
    QLineEdit *boxOf(const AccountFile &file) const;
    // How the failure box names a file's value.
    static QString describe(const AccountFile &file);

    AppState &m_state;
    QList<SlotBoxes> m_slots; // in list order, "Default" first
    bool m_choicePending = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
