#include "usopt.h"

#include "app/AppState.h"

usopt::usopt(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("usopt"));

}
