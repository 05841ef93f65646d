#include "Form6.h"

#include "app/AppState.h"

Form6::Form6(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form6"));

}
