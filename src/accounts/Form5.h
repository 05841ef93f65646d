#pragma once

#include <QWidget>

class AppState;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Slot;

// The login window: switches the program to another user slot once the slot's user name and
// password are typed. Created when shown, unloaded when closed, so every opening starts with
// nothing chosen and "Log In" disabled.
class Form5 : public QWidget
{
    Q_OBJECT
public:
    explicit Form5(AppState &state, QWidget *parent = nullptr);

    QComboBox *uss;
    QLabel *Label1;
    QLineEdit *user;
    QLabel *Label2;
    QLineEdit *pas;
    QLabel *Label3;
    QPushButton *log;
    // objectName "new"; the member cannot carry a keyword as its name.
    QPushButton *new_;
    QPushButton *cance;

    // Handlers.
    void uss_Click();
    void user_Change();
    void pas_Change();
    void log_Click();
    void new_Click();
    void cance_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The slot of the chosen entry, nullptr when nothing is chosen.
    const Slot *chosenSlot() const;
    // The chosen slot when it is User 1..6 (the ones with a password), else nullptr.
    const Slot *chosenUserSlot() const;
    void checkTyped(bool typedPassword);

    AppState &m_state;
};
