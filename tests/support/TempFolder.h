#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away data folder with helpers to plant and inspect files byte for byte.
class TempFolder
{
public:
    TempFolder();

    QString path() const { return m_dir.path(); }
    // path() + "/" + name
    QString file(const QString &name) const;

    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;
    void makeFolder(const QString &name) const;

private:
    QTemporaryDir m_dir;
};
