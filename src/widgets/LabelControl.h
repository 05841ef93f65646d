#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

// A label that acts as a control: a mark to tick ("X" or empty), a choice of two, or a text to
// open (a count, the user's name, the close mark). Made a LabelControl, it takes the keyboard
// focus with Tab and shows it in the accent colour, runs its action on Space, Enter or Return,
// and tells screen readers what it is (check box, radio button or button), whether it is
// ticked, and lets them run the action. The mouse stays with the window's own handling; after
// a click the new text or state is announced all the same.
class LabelControl : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Button, CheckBox, RadioButton };

    // Makes label a control of kind; the control belongs to the label. action is what a
    // double-click (a text to open) or a click (a mark) does.
    static LabelControl *attach(QLabel *label, Kind kind, std::function<void()> action);
    // The control made of widget, or nullptr.
    static LabelControl *of(const QWidget *widget);

    Kind kind() const { return m_kind; }
    QLabel *label() const;
    // A mark is ticked while it shows a text ("X").
    bool isChecked() const;
    // A label without an accessible name of its own when it was made a control is named by
    // the text it shows (a count, a user name); otherwise the name stays (the close mark).
    bool nameFollowsText() const { return m_nameFollowsText; }

    // Runs the action, then announces a changed text or state.
    void activate();
    // The label's text has just been announced (announceTextChange tells the control, so a
    // change announced by the window is not announced a second time).
    void noteAnnounced();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LabelControl(QLabel *label, Kind kind, std::function<void()> action);
    // Announces the label's text when it is not the one last announced.
    void announceIfChanged();

    Kind m_kind;
    bool m_nameFollowsText;
    std::function<void()> m_action;
    QString m_announced;
};
