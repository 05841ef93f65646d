#pragma once

#include <QWidget>

class WindowRegistry;
class Picture;
class QLabel;
class QTimer;

// The splash window shown for four seconds at every start. Its end shows the main window,
// which stays hidden until then.
class Form7 : public QWidget
{
    Q_OBJECT
public:
    explicit Form7(WindowRegistry &windows, QWidget *parent = nullptr);

    Picture *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QTimer *Timer1;

    // Closes and unloads the splash, then shows the main window.
    void Timer1_Timer();

    static constexpr int Duration = 4000;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowRegistry &m_windows;
    bool m_ended = false;
};
