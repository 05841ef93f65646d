#pragma once

#include <QWidget>

class AppState;

class Form5 : public QWidget
{
    Q_OBJECT
public:
    explicit Form5(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
