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

namespace {

// Longer runs without a space make wrapping at word boundaries take time that grows with the
// square of the run (over two minutes for a 1 MB word): anyone who can write the folder can
// plant one.
constexpr qsizetype LongestWrappedWord = 4096;

bool hasOverlongWord(const QString &text)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWrappedWord)
            return true;
    }
    return false;
}

} // namespace

void MessageTextEdit::setMessageText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QString(QChar::ParagraphSeparator));
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    // Such a text wraps anywhere, which takes time in proportion to its length.
    setWordWrapMode(hasOverlongWord(shown) ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
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
