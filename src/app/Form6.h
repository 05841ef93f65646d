#pragma once

#include <QWidget>

class WindowRegistry;
class PictureButton;
class QLabel;

// The close dialog, the only way the program ends: quit at once, or run in the background.
// The two marks form a two-way choice; running in the background is chosen at every opening.
class Form6 : public QWidget
{
    Q_OBJECT
public:
    explicit Form6(WindowRegistry &windows, QWidget *parent = nullptr);

    QLabel *qui;
    QLabel *min;
    // The texts of the two choices; clicking one chooses it.
    QLabel *Label1;
    QLabel *Label2;
    PictureButton *oki;
    PictureButton *okip;
    PictureButton *can;
    PictureButton *canp;

    // The choice the marks show; the confirm button acts on it.
    enum class Choice { Quit, Background };
    Choice choice() const { return m_choice; }
    void setChoice(Choice choice);

    void qui_Click();
    void min_Click();
    void oki_MouseUp();
    void can_MouseUp();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(const char *name, const QString &text, const QRect &rect);

    WindowRegistry &m_windows;
    Choice m_choice = Choice::Background;
};
