#include "Form2.h"

#include "app/AppState.h"

Form2::Form2(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form2"));

}
