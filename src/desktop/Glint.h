#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// A tray icon with the properties the windows rely on: a tool-tip, a picture chosen by number
// from an image list, a Boolean that puts it into the notification area, and a double-click.
class Glint : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString tiptext() const { return m_tiptext; }
    void setTiptext(const QString &text);

    // 1-based index into imagelist(), as the image list control numbers its pictures.
    int imagenumber() const { return m_imagenumber; }
    void setImagenumber(int number);

    QList<QIcon> imagelist() const { return m_imagelist; }
    void setImagelist(const QList<QIcon> &icons);

    bool InTray() const { return m_inTray; }
    // Setting the value it already has changes nothing.
    void setInTray(bool inTray);

    QIcon currentIcon() const;

signals:
    void DblClick();

protected:
    // Called when the shown icon, tip or tray presence must change.
    virtual void apply() { }

private:
    QString m_tiptext;
    int m_imagenumber = 1;
    QList<QIcon> m_imagelist;
    bool m_inTray = false;
};

// Creates tray icons and tells whether the desktop has a tray at all.
class TrayHost
{
public:
    virtual ~TrayHost() = default;
    virtual Glint *createGlint(QObject *parent) = 0;
    // Cheap: the answer is kept up to date as trays come and go.
    virtual bool isSystemTrayAvailable() const = 0;

    // Called when a tray comes or goes (a panel restarts), with the new answer.
    std::function<void(bool)> availabilityChanged;
};
