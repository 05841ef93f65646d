#pragma once

#include <QWidget>

class AppState;

class Form6 : public QWidget
{
    Q_OBJECT
public:
    explicit Form6(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
