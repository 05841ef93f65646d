#pragma once

#include "store/ComposedMessage.h"

#include <QWidget>

class AppState;
class MessageTextEdit;
class PictureButton;
class QComboBox;
class QLineEdit;
class QTimer;

// The compose window: a message to one user slot, written into the data folder under a name
// the sender types, with the recipient slot's extension.
class newmes : public QWidget
{
    Q_OBJECT
public:
    explicit newmes(AppState &state, QWidget *parent = nullptr);

    QComboBox *t;
    QComboBox *pri;
    QLineEdit *fro;
    QLineEdit *dat;
    QLineEdit *tim;
    MessageTextEdit *Text3;
    // Keeps dat and tim current while Auto Time is on. A new window's clock waits for the
    // main window's next tick (or followAutoTime()); then it follows the option.
    QTimer *Timer1;
    PictureButton *ok;
    PictureButton *okp;
    PictureButton *canc;
    PictureButton *cancp;

    // Empties tim, pri, dat, t, fro and Text3.
    void clearFields();

    // Starts or stops Timer1 as Auto Time says.
    void followAutoTime();

    void Timer1_Timer();
    void ok_MouseUp();
    void canc_MouseUp();

    // The message as the fields hold it.
    ComposedMessage message() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QString firstEmptyField() const;

    AppState &m_state;
};
