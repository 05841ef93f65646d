#pragma once

#include <QPlainTextEdit>

// The multi-line text box of the compose and viewer windows. It hands out and takes the text
// the way a message file holds it: lines end with CR LF, and a lone LF inside a line (as in a
// file written elsewhere) is kept as a line break within the paragraph, so a message that is
// opened and saved unchanged keeps every byte.
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
};
