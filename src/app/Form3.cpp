#include "Form3.h"

#include "core/AppState.h"

Form3::Form3(AppState &state, QWidget *parent)
    : QWidget(parent)
    , File1(&state.inboxList())
    , File2(&state.historyList())
{
    setObjectName(QStringLiteral("Form3"));
}
