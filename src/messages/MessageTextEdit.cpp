#include "MessageTextEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
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

namespace {

// Marks a paragraph break the box inserted into a long line; the file has none there.
constexpr int InsertedBreak = QTextFormat::UserProperty + 1;

bool isInsertedBreak(const QTextBlock &block)
{
    // A block's character format is that of the paragraph break before it.
    return block.charFormat().boolProperty(InsertedBreak);
}

QTextCharFormat withoutMark(QTextCharFormat format)
{
    format.clearProperty(InsertedBreak);
    return format;
}

} // namespace

QString MessageTextEdit::messageText() const
{
    // The raw text keeps every character as typed (toPlainText() would turn a no-break space
    // into a space); paragraphs are separated by U+2029, line breaks within one are U+2028.
    QString text = m_hasInsertedBreaks ? withoutInsertedBreaks(0, document()->characterCount() - 1)
                                       : document()->toRawText();
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

QString MessageTextEdit::withoutInsertedBreaks(int from, int to) const
{
    const QString raw = document()->toRawText();
    QString text;
    text.reserve(to - from);
    int at = from;
    for (QTextBlock block = document()->findBlock(from).next();
         block.isValid() && block.position() <= to; block = block.next()) {
        if (!isInsertedBreak(block))
            continue;
        const int breakAt = block.position() - 1;
        text += QStringView(raw).mid(at, breakAt - at);
        at = breakAt + 1;
    }
    text += QStringView(raw).mid(at, to - at);
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

// A paragraph is laid out as a whole, in time that grows with its length; lines longer than
// this are shown as pieces of about PieceLength characters.
constexpr qsizetype LongestParagraph = 4096;
constexpr qsizetype PieceLength = 1024;

bool hasLongParagraph(const QString &text)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
        if (end < 0)
            end = text.size();
        if (end - start > LongestParagraph)
            return true;
        start = end + 1;
    }
    return false;
}

// Where the piece starting at start should end: after a space or tab in its second half, so
// the pieces read like wrapped lines; else at its full length, never inside a surrogate pair.
qsizetype pieceEnd(const QString &text, qsizetype start)
{
    const qsizetype end = start + PieceLength;
    for (qsizetype i = end - 1; i >= start + PieceLength / 2; --i) {
        if (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t'))
            return i + 1;
    }
    return text.at(end - 1).isHighSurrogate() ? end - 1 : end;
}

// The text with a paragraph break between the pieces of every long line; breaks gets their
// positions.
QString pieced(const QString &text, QList<int> *breaks)
{
    QString out;
    out.reserve(text.size() + text.size() / (PieceLength / 2) + 1);
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
        if (end < 0)
            end = text.size();
        if (end - start > LongestParagraph) {
            while (end - start > PieceLength) {
                const qsizetype cut = pieceEnd(text, start);
                out += QStringView(text).mid(start, cut - start);
                breaks->append(int(out.size()));
                out += QChar::ParagraphSeparator;
                start = cut;
            }
        }
        out += QStringView(text).mid(start, end - start);
        if (end < text.size())
            out += QChar::ParagraphSeparator;
        start = end + 1;
    }
    return out;
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
    QList<int> breaks;
    m_hasInsertedBreaks = hasLongParagraph(shown);
    setPlainText(m_hasInsertedBreaks ? pieced(shown, &breaks) : shown);
    if (!m_hasInsertedBreaks)
        return;
    // Marked without an undo step: undoing would otherwise join the pieces.
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    QTextCharFormat mark;
    mark.setProperty(InsertedBreak, true);
    // One edit: the box hears of one change, not of one per mark.
    cursor.beginEditBlock();
    for (const int at : std::as_const(breaks)) {
        cursor.setPosition(at);
        cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(mark);
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
}

bool MessageTextEdit::deleteAcrossInsertedBreak(QKeyEvent *event)
{
    // Backspace at the start of a piece, or Delete at the end of one, takes the character of
    // the message beyond the inserted break (removing the break alone would change nothing).
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier
        && cursor.atBlockStart() && block.previous().isValid() && isInsertedBreak(block)) {
        cursor.setPosition(block.position() - 1);
        cursor.deletePreviousChar();
    } else if (event->matches(QKeySequence::Delete) && cursor.atBlockEnd() && block.next().isValid()
               && isInsertedBreak(block.next())) {
        cursor.setPosition(block.next().position());
        cursor.deleteChar();
    } else {
        return false;
    }
    ensureCursorVisible();
    return true;
}

void MessageTextEdit::insertOwnBreak()
{
    // At the start of a piece the typed break would take the mark of the one before it.
    QTextCursor cursor = textCursor();
    cursor.insertBlock(cursor.blockFormat(), withoutMark(cursor.charFormat()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *MessageTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    if (!m_hasInsertedBreaks || !cursor.hasSelection())
        return QPlainTextEdit::createMimeDataFromSelection();
    // As the plain text of a selection is copied, with the inserted breaks left out.
    QString text = withoutInsertedBreaks(cursor.selectionStart(), cursor.selectionEnd());
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

void MessageTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!m_hasInsertedBreaks || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // The default paste gives its breaks the format at the cursor, which may be a mark.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertText(source->text(), withoutMark(cursor.charFormat()));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
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
    if (m_hasInsertedBreaks && !isReadOnly() && deleteAcrossInsertedBreak(event)) {
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && ((event->modifiers() & Qt::ShiftModifier) || m_hasInsertedBreaks) && !isReadOnly()) {
        insertOwnBreak();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
