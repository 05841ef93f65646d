#include "newmes.h"

#include "app/AppState.h"

#include <QTimer>

newmes::newmes(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("newmes"));
    Timer1 = new QTimer(this);
}

void newmes::clearFields() {}
