#include "MessageTextEdit.h"
#include "widgets/Palette.h"

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
    verticalScrollBar()->setStyleSheet(Palette::style(QStringLiteral(
        "QScrollBar:vertical { background: $ink; width: 12px; margin: 0; }"
        "QScrollBar::handle:vertical { background: $teal; min-height: 24px;"
        " border-radius: 4px; margin: 2px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")));
}

namespace {

// What a line break in the box stands for in the message, where the box changed it: a break it
// inserted into a long line stands for nothing; in a message of many lines, lines are joined
// into paragraphs of about PieceLength characters, a CR LF becoming a line break within one.
// Unmarked paragraph breaks stand for CR LF; unmarked line breaks for LF, or CR LF where the
// lines are joined.
constexpr int StandsFor = QTextFormat::UserProperty + 1;
enum Meaning { Nothing = 1, LineFeed, CrLf };

bool isInsertedBreak(const QTextBlock &block)
{
    // A block's character format is that of the paragraph break before it.
    return block.charFormat().intProperty(StandsFor) == Nothing;
}

QTextCharFormat withoutMark(QTextCharFormat format)
{
    format.clearProperty(StandsFor);
    return format;
}

} // namespace

QString MessageTextEdit::messageText() const
{
    if (m_hasMarks)
        return textBetween(0, document()->characterCount() - 1);
    // The raw text keeps every character as typed (toPlainText() would turn a no-break space
    // into a space); paragraphs are separated by U+2029, line breaks within one are U+2028.
    QString text = document()->toRawText();
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

QString MessageTextEdit::textBetween(int from, int to) const
{
    const QString raw = document()->toRawText();
    QList<std::pair<int, int>> marks; // position, meaning; in order
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int before = block.charFormat().intProperty(StandsFor);
        if (before && block.position() > from)
            marks.append({ block.position() - 1, before });
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int meaning = fragment.charFormat().intProperty(StandsFor);
            for (int at = fragment.position();
                 meaning && at < fragment.position() + fragment.length(); ++at) {
                if (raw.at(at) == QChar::LineSeparator)
                    marks.append({ at, meaning });
            }
        }
    }
    QString text;
    text.reserve(to - from + (to - from) / 32);
    qsizetype mark = 0;
    int run = from;
    for (int at = from; at < to; ++at) {
        const QChar c = raw.at(at);
        if (c != QChar::ParagraphSeparator && c != QChar::LineSeparator)
            continue;
        text += QStringView(raw).mid(run, at - run);
        run = at + 1;
        int meaning = c == QChar::ParagraphSeparator || m_linesJoined ? CrLf : LineFeed;
        while (mark < marks.size() && marks.at(mark).first < at)
            ++mark;
        if (mark < marks.size() && marks.at(mark).first == at)
            meaning = marks.at(mark).second;
        if (meaning == CrLf)
            text += QLatin1String("\r\n");
        else if (meaning == LineFeed)
            text += QLatin1Char('\n');
    }
    text += QStringView(raw).mid(run, to - run);
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
constexpr qsizetype JoinedFromLines = 2000;

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

using Marks = QList<std::pair<int, Meaning>>;

// CR LF as a paragraph break, a lone LF as a line break within one. In one pass: replace()
// takes seconds for a million CR LFs.
QString shownText(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            shown += QChar::ParagraphSeparator;
            ++i;
        } else {
            shown += c == QLatin1Char('\n') ? QChar::LineSeparator : c;
        }
    }
    return shown;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Where the piece starting at start should end: at a lone LF in its second half (which then
// becomes the paragraph break), else after a space or tab there, so the pieces read like
// wrapped lines; else at its full length, never inside a surrogate pair.
qsizetype pieceEnd(const QString &text, qsizetype start)
{
    const qsizetype end = start + PieceLength;
    for (qsizetype i = end - 1; i >= start + PieceLength / 2; --i) {
        if (text.at(i) == QChar::LineSeparator)
            return i;
    }
    for (qsizetype i = end - 1; i >= start + PieceLength / 2; --i) {
        if (isBlank(text.at(i)))
            return i + 1;
    }
    return text.at(end - 1).isHighSurrogate() ? end - 1 : end;
}

// The text with a paragraph break between the pieces of every long line; breaks gets their
// positions and meanings.
QString pieced(const QString &text, Marks *breaks)
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
                const bool atLineFeed = text.at(cut) == QChar::LineSeparator;
                breaks->append({ int(out.size()), atLineFeed ? LineFeed : Nothing });
                out += QChar::ParagraphSeparator;
                start = atLineFeed ? cut + 1 : cut;
            }
        }
        out += QStringView(text).mid(start, end - start);
        if (end < text.size())
            out += QChar::ParagraphSeparator;
        start = end + 1;
    }
    return out;
}

// Lines of a message of many lines joined into paragraphs of about PieceLength characters
// (each CR LF a line break, each lone LF a marked one), long lines cut as pieced() does.
QString joined(const QString &text, Marks *marks)
{
    QString out;
    out.reserve(text.size() + text.size() / (PieceLength / 2) + 1);
    qsizetype paragraphStart = 0;
    qsizetype lineStart = 0;
    const auto endParagraph = [&](Meaning meaning) {
        if (meaning != CrLf)
            marks->append({ int(out.size()), meaning });
        out += QChar::ParagraphSeparator;
        paragraphStart = out.size();
    };
    for (const QChar c : text) {
        const bool full = out.size() - paragraphStart >= PieceLength;
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            const Meaning meaning = c == QChar::ParagraphSeparator ? CrLf : LineFeed;
            if (full) {
                endParagraph(meaning);
            } else {
                if (meaning != CrLf)
                    marks->append({ int(out.size()), meaning });
                out += QChar::LineSeparator;
            }
            lineStart = out.size();
            continue;
        }
        out += c;
        if (full && out.size() - lineStart > LongestParagraph
            && (isBlank(c)
                || (out.size() - paragraphStart >= 2 * PieceLength && !c.isHighSurrogate())))
            endParagraph(Nothing);
    }
    return out;
}

} // namespace

void MessageTextEdit::setMessageText(const QString &text)
{
    QString shown = shownText(text);
    // Such a text wraps anywhere, which takes time in proportion to its length.
    setWordWrapMode(hasOverlongWord(shown) ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Every paragraph of the box costs time when the text is set: a message of many lines has
    // them joined.
    Marks marks;
    m_linesJoined = shown.count(QChar::ParagraphSeparator) >= JoinedFromLines;
    if (m_linesJoined)
        shown = joined(shown, &marks);
    else if (hasLongParagraph(shown))
        shown = pieced(shown, &marks);
    m_hasMarks = m_linesJoined || !marks.isEmpty();
    setPlainText(shown);
    if (marks.isEmpty())
        return;
    // Marked without an undo step: undoing would otherwise join the pieces.
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    QTextCharFormat mark;
    // One edit: the box hears of one change, not of one per mark.
    cursor.beginEditBlock();
    for (const auto &[at, meaning] : std::as_const(marks)) {
        cursor.setPosition(at);
        cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
        mark.setProperty(StandsFor, meaning);
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
    if (!m_hasMarks || !cursor.hasSelection())
        return QPlainTextEdit::createMimeDataFromSelection();
    // As the plain text of a selection is copied: the message's line breaks as LF.
    QString text = textBetween(cursor.selectionStart(), cursor.selectionEnd());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

void MessageTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!m_hasMarks || !source->hasText()) {
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
    if (m_hasMarks && !isReadOnly() && deleteAcrossInsertedBreak(event)) {
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && ((event->modifiers() & Qt::ShiftModifier) || m_hasMarks) && !isReadOnly()) {
        insertOwnBreak();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
