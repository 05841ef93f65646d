#pragma once

#include <QPlainTextEdit>

// The multi-line text box of the compose and viewer windows. It hands out and takes the text
// the way a message file holds it: lines end with CR LF, and a lone LF inside a line (as in a
// file written elsewhere) is kept as a line break within the paragraph, so a message that is
// opened and saved unchanged keeps every byte.
//
// The box lays out only the paragraphs in view, but a paragraph always as a whole: a line of
// megabytes would take seconds. Such a line is shown as pieces, each ending in a paragraph break
// marked as inserted by the box; messageText() leaves the marked breaks out.
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
    // The text from..to of the document, without the marked breaks.
    QString withoutInsertedBreaks(int from, int to) const;
    bool deleteAcrossInsertedBreak(QKeyEvent *event);
    // Types a paragraph break that is the user's own, whatever format it would inherit.
    void insertOwnBreak();

    bool m_hasInsertedBreaks = false;
};
