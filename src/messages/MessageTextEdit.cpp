#include "MessageTextEdit.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

MessageTextEdit::MessageTextEdit(const QString &name, QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(name);
    // A file may hold a tab; typing one should not move the focus instead.
    setTabChangesFocus(false);
    // The scroll bar in the colours of the windows instead of the plain grey one.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: #10263d; width: 12px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #147a80; min-height: 24px;"
        " border-radius: 4px; margin: 2px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

QString MessageTextEdit::messageText() const
{
    // The raw text keeps every character as typed (toPlainText() would turn a no-break space
    // into a space); paragraphs are separated by U+2029, line breaks within one are U+2028.
    QString text = document()->toRawText();
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void MessageTextEdit::setMessageText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QString(QChar::ParagraphSeparator));
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    setPlainText(shown);
}

void MessageTextEdit::keyPressEvent(QKeyEvent *event)
{
    // Tab types a tab into the message; Ctrl+Tab (Ctrl+Shift+Tab) moves on, so the keyboard
    // is never caught in the box.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        && (event->modifiers() & Qt::ControlModifier)) {
        const bool back
            = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        // The text box's own focusNextPrevChild refuses while Tab types a tab.
        QWidget::focusNextPrevChild(!back);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & Qt::ShiftModifier) && !isReadOnly()) {
        textCursor().insertBlock();
        ensureCursorVisible();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
