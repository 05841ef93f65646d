#include "about.h"

#include "app/AppState.h"

about::about(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("about"));

}
