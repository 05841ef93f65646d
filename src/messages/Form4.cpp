#include "Form4.h"

#include "app/AppState.h"
#include "platform/FileListBox.h"

Form4::Form4(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form4"));
    File1 = new FileListBox(QStringLiteral("File1"), this);
}

void Form4::OpenInbox() {}
void Form4::OpenHistory() {}
