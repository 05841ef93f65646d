#include "Form7.h"

#include "app/AppState.h"

Form7::Form7(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form7"));

}
