#pragma once

#include <QPlainTextEdit>

// The multi-line text box of the compose and viewer windows. It hands out and takes the text
// the way a message file holds it: lines end with CR LF, and a lone LF inside a line (as in a
// file written elsewhere) is kept as a line break within the paragraph, so a message that is
// opened and saved unchanged keeps every byte.
//
// The box lays out only the paragraphs in view, but a paragraph always as a whole (a line of
// megabytes would take seconds), and every paragraph costs time when the text is set (a
// million lines would too). So a long line is shown as pieces and many lines are joined into
// fewer paragraphs; the breaks that differ from the message are marked in their character
// format, and messageText() reads them back.
class MessageTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    MessageTextEdit(const QString &name, QWidget *parent);

    QString messageText() const;
    void setMessageText(const QString &text);

protected:
    // Shift+Enter would insert a lone LF; every typed line break is a CR LF. Ctrl+Tab moves
    // the focus on (Tab itself types a tab).
    void keyPressEvent(QKeyEvent *event) override;
    // A copy holds the message's text, a paste never adds a marked break.
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // The message's text at from..to of the document.
    QString textBetween(int from, int to) const;
    bool deleteAcrossInsertedBreak(QKeyEvent *event);
    // Types a paragraph break that is the user's own, whatever format it would inherit.
    void insertOwnBreak();

    bool m_hasMarks = false;
    bool m_linesJoined = false;
};
