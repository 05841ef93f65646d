#include "Form3.h"

#include "platform/fs/FileList.h"

Form3::Form3(AppState &, QWidget *parent)
    : QWidget(parent)
    , File1(new FileList(this))
    , File2(new FileList(this))
{
    setObjectName(QStringLiteral("Form3"));
    File1->setObjectName(QStringLiteral("File1"));
    File2->setObjectName(QStringLiteral("File2"));
}
