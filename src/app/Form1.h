#pragma once

#include "core/MessagePolling.h"
#include "core/Windows.h"

#include <QWidget>

class AppState;
class WindowRegistry;
class WaitingCue;
class BackgroundMode;
class Glint;
class Picture;
class PictureButton;
class QFrame;
class QLabel;
class QTimer;

// The main window: the logged-in user's name, the two message counts, the Auto Time and Auto
// Retrieve marks, the retrieve and menu buttons and the two tray icons. It shows what its
// polling (core/MessagePolling, which owns Timer1..Timer4) tells it; WaitingCue shows the
// waiting count in the tray (Glint1) and BackgroundMode takes the program to the background
// (Glint2). Closing it never ends the program; it shows the close dialog.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(WindowRegistry &windows, QWidget *parent = nullptr);
    ~Form1() override;

    AppState &state() { return m_state; }

    // The start-up sequence.
    void Form_Load();

    // Controls, named as the other windows know them.
    Picture *Image1;
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
    // The polling's timers (MessagePolling).
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;
    QTimer *Timer4;
    Glint *Glint1;
    Glint *Glint2;

    // Handlers. Timer4_Timer runs at each tick of the polling's Timer4: the compose clock and
    // the menu's check follow Auto Time.
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
    void Label1_MouseDown();
    void Label1_MouseUp();
    // pos is relative to the window's client area.
    void Form_MouseDown(Qt::MouseButton button, const QPoint &pos);
    void Image2_MouseUp(Qt::MouseButton button);

    // Opens the popup menu at a screen position.
    void PopUpTrayMenu(const QPoint &globalPos);
    // The screen point for the menu of a mouse event at pos: the client area's origin plus
    // pos, also for a press on the menu button (its own coordinates added to the window's).
    QPoint menuPosition(const QPoint &pos) const;

    // Going to the background (the registry's enterBackground asks): the menu's route hides
    // the viewer, Form3, the browser and the login window; the close dialog's only the viewer
    // and the browser.
    void EnterBackground(Windows::BackgroundRoute route);
    void LeaveBackground();
    bool inBackground() const;

    // A later start of the program asked for this copy: the main window comes forward, out of
    // the background if need be.
    void bringForward();

    // Shows name in nam (the start-up and a login).
    void showUserName(const QString &name);

    // The count texts.
    static QString inboxCountText(int count) { return MessagePolling::inboxCountText(count); }
    static QString historyCountText(int count) { return MessagePolling::historyCountText(count); }

    static QString caption() { return QStringLiteral("Notavo 3.0"); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectControls();
    QLabel *addLabel(const char *name, const QString &text, const QRect &rect);
    void setLabel1Pressed(bool pressed);
    // The labels and the marks follow the polling and the options.
    void followPolling();
    void followState();
    void showAutoTime(bool on);
    void showAutoRetrieve(bool on);
    void clearCounts();

    WindowRegistry &m_windows;
    AppState &m_state;
    MessagePolling *m_polling = nullptr;
    WaitingCue *m_waitingCue = nullptr;
    BackgroundMode *m_backgroundMode = nullptr;
    // Set by a press of ret that may retrieve; a refused press leaves it clear.
    bool m_retArmed = false;
    // The mark a single press went down on; its release there is a click.
    QLabel *m_pressedMark = nullptr;
};
