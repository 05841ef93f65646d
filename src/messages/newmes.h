#pragma once

#include <QWidget>

class QTimer;
class AppState;

class newmes : public QWidget
{
    Q_OBJECT
public:
    explicit newmes(AppState &state, QWidget *parent = nullptr);

    QTimer *Timer1;
    // Empties tim, pri, dat, t, fro and Text3.
    void clearFields();

private:
    AppState &m_state;
};
