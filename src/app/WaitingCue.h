#pragma once

#include "InboxNotice.h"

#include <QObject>
#include <QString>

class AppState;
class Glint;
class QWidget;

// Tells the user that messages wait, from the inbox count the polling takes up: the "New
// Message!" tray icon (Glint1) while any wait, a desktop notification as they arrive, and
// where no tray is, the count in the window's title and a request for attention.
class WaitingCue : public QObject
{
    Q_OBJECT
public:
    // caption is the window's title without a count.
    WaitingCue(QWidget &window, const QString &caption, Glint &icon, AppState &state);
    ~WaitingCue() override;

    void show(int count);

private:
    // The count in the title while no tray shows the icon; alert asks for attention too.
    void showInTitle(bool alert);

    QWidget &m_window;
    QString m_caption;
    Glint &m_icon;
    AppState &m_state;
    // The inbox count last announced; -1 before the first.
    int m_announcedCount = -1;
    InboxNotice m_notice;
};
