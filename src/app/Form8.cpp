#include "Form8.h"

#include "app/AppState.h"

Form8::Form8(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form8"));

}
