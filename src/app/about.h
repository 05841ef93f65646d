#pragma once

#include <QWidget>

class WindowRegistry;
class Picture;
class QLabel;
class QPushButton;

// The About window: the title picture, a few words on what the program is for, and how to
// reach its makers.
class about : public QWidget
{
    Q_OBJECT
public:
    explicit about(WindowRegistry &windows, QWidget *parent = nullptr);

    Picture *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *Command1;

    // Closes and unloads the window.
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowRegistry &m_windows;
};
