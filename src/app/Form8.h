#pragma once

#include <QWidget>

class AppState;

class Form8 : public QWidget
{
    Q_OBJECT
public:
    explicit Form8(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
