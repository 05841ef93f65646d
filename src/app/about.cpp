#include "about.h"

#include "WindowRegistry.h"
#include "widgets/FixedWindow.h"
#include "widgets/Palette.h"
#include "widgets/Picture.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

about::about(WindowRegistry &windows, QWidget *parent)
    : QWidget(parent)
    , m_windows(windows)
{
    FixedWindow::setUp(this,
                       { "about", tr("About Notavo"), twipsSize(5400, 3900),
                         QStringLiteral(":/pictures/background-about.svg"), true });
    setStyleSheet(Palette::style(
        QStringLiteral("QLabel { color: $ink; }"
                       "QLabel#Label1, QLabel#Label3 { color: $deepteal; }"
                       "QPushButton { color: $white; background: $teal; border: 1px solid $edge;"
                       " border-radius: 4px; font-weight: bold; }"
                       "QPushButton:pressed { background: $deepteal; }"
                       "QPushButton:focus { border: 2px solid $focus; }")));

    Image1 = new Picture(QStringLiteral("Image1"), QStringLiteral(":/pictures/title.svg"), this);
    Image1->setGeometry(twips(1477, 240, 2445, 375));

    Label2 = new QLabel(
        tr("Courivo is a simple alternative to writing notes with pen and paper. As soon as "
           "someone places a message for you, a message icon appears in your system tray. "
           "It suits offices: leave a note on a colleague's computer while they are away, and "
           "find their answer waiting when you come back."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(360, 840, 4680, 1680));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label1 = new QLabel(tr("Notavo Software: small office tools since 1997."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(360, 2640, 4680, 255));
    Label3 = new QLabel(tr("Questions? Ask whoever looks after your Notavo folder."), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(twips(360, 2940, 4680, 255));
    for (QLabel *line : { Label1, Label3 })
        line->setFont(Palette::layoutFont(line->font(), 8));

    Command1 = new QPushButton(tr("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(2100, 3300, 1200, 375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &about::Command1_Click);
}

void about::Command1_Click()
{
    m_windows.unload(this);
}

void about::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_windows.unload(this);
}
