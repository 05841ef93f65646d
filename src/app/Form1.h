#pragma once

#include <QWidget>

class AppState;
class Glint;
class PictureButton;
class QFrame;
class QLabel;
class QTimer;

// The main window: the logged-in user's name, the two message counts, the Auto Time and Auto
// Retrieve marks, the retrieve and menu buttons, the polling timers and the two tray icons.
// Closing it never ends the program; it shows the close dialog.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(AppState &state, QWidget *parent = nullptr);
    ~Form1() override;

    AppState &state() { return m_state; }

    // The start-up sequence.
    void Form_Load();

    // Controls, named as the other windows know them.
    QLabel *Image1;
    QLabel *inb;
    QLabel *his;
    QLabel *aut;
    QLabel *Label3;
    QLabel *autret;
    QLabel *Label6;
    QLabel *nam;
    QFrame *Shape1;
    PictureButton *ret;
    PictureButton *retp;
    PictureButton *Image2;
    PictureButton *Image3;
    QLabel *Label1;
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;
    QTimer *Timer4;
    Glint *Glint1;
    Glint *Glint2;

    // Handlers.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void aut_Click();
    void autret_Click();
    void inb_DblClick();
    void his_DblClick();
    void nam_DblClick();
    void Glint1_DblClick();
    void Glint2_DblClick();
    void ret_MouseDown();
    void ret_MouseUp();

    // Opens the popup menu at a screen position.
    void PopUpTrayMenu(const QPoint &globalPos);

    // Going to the background: the menu's form hides the viewer, Form3, the browser and the
    // login window; the close dialog's form only the viewer and the browser.
    void EnterBackgroundFromMenu();
    void EnterBackgroundFromCloseDialog();
    void LeaveBackground();

    // The count texts.
    static QString inboxCountText(int count);
    static QString historyCountText(int count);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppState &m_state;
};
