#include "Form5.h"

#include "app/AppState.h"

Form5::Form5(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form5"));

}
