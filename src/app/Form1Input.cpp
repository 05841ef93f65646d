// What the user's clicks on the main window do: the marks, the counts, the name, the
// new-message icon, the close mark and the menu; closing asks the close dialog.
#include "Form1.h"

#include "Form8.h"
#include "WindowRegistry.h"
#include "core/AppState.h"
#include "widgets/PictureButton.h"

#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>

#include <utility>

void Form1::Label1_MouseDown()
{
    setLabel1Pressed(true);
}

void Form1::Label1_MouseUp()
{
    setLabel1Pressed(false);
    m_windows.showCloseDialog();
}

void Form1::Form_MouseDown(Qt::MouseButton button, const QPoint &pos)
{
    if (button == Qt::RightButton)
        PopUpTrayMenu(menuPosition(pos));
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The desktop ends the program with its session; nothing waits to be saved.
    if (m_state.sessionEnding) {
        event->accept();
        return;
    }
    // Otherwise the program ends only through the close dialog.
    event->ignore();
    m_windows.showCloseDialog();
}

void Form1::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(event->button(), event->position().toPoint());
    event->accept();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);

    if (watched == Label1) {
        // Any button: the close mark has no menu of its own. The second press of a
        // double-click arrives as a double-click.
        if (type == QEvent::MouseButtonRelease)
            Label1_MouseUp();
        else
            Label1_MouseDown();
        return true;
    }
    if (mouse->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    auto *label = static_cast<QLabel *>(watched);
    const bool inside = label->rect().contains(mouse->position().toPoint());

    if (type == QEvent::MouseButtonDblClick) {
        // A double-click is one click: its second release toggles nothing.
        m_pressedMark = nullptr;
        if (watched == inb)
            inb_DblClick();
        else if (watched == his)
            his_DblClick();
        else if (watched == nam)
            nam_DblClick();
    } else if (type == QEvent::MouseButtonPress) {
        m_pressedMark = label;
    } else if (std::exchange(m_pressedMark, nullptr) == label && inside) {
        // A click is a press and a release on the same mark.
        if (watched == aut)
            aut_Click();
        else if (watched == autret)
            autret_Click();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::aut_Click()
{
    // The mark, the menu check and the compose clock follow the option.
    m_state.setAutoTime(!m_state.autoTime());
}

void Form1::autret_Click()
{
    // The mark, the menu check and the polling timers follow the option.
    m_state.setAutoRetrieve(!m_state.autoRetrieve());
}

void Form1::inb_DblClick()
{
    if (inb->text() != inboxCountText(0))
        m_windows.openInbox();
}

void Form1::his_DblClick()
{
    if (his->text() != historyCountText(0))
        m_windows.openHistory();
}

void Form1::nam_DblClick()
{
    m_windows.showLogin();
}

void Form1::Glint1_DblClick()
{
    m_windows.openInbox();
}

QPoint Form1::menuPosition(const QPoint &pos) const
{
    return mapToGlobal(pos);
}

void Form1::PopUpTrayMenu(const QPoint &globalPos)
{
    m_windows.form8().popUp(globalPos);
}

void Form1::Image2_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    // Where the button was released, kept on the button for a keyboard press.
    QPoint pos = Image2->mapFromGlobal(QCursor::pos());
    pos.setX(qBound(0, pos.x(), Image2->width() - 1));
    pos.setY(qBound(0, pos.y(), Image2->height() - 1));
    PopUpTrayMenu(menuPosition(pos));
}
