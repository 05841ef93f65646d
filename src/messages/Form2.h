#pragma once

#include <QWidget>

class AppState;

class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
