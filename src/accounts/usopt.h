#pragma once

#include <QWidget>

class AppState;

class usopt : public QWidget
{
    Q_OBJECT
public:
    explicit usopt(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
