#pragma once

#include <QWidget>

class AppState;

class about : public QWidget
{
    Q_OBJECT
public:
    explicit about(AppState &state, QWidget *parent = nullptr);

private:
    AppState &m_state;
};
