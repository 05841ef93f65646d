#pragma once

#include <QWidget>

class AppState;

class Form7 : public QWidget
{
    Q_OBJECT
public:
    explicit Form7(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
