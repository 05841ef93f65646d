#include "ShellLink.h"

#include "platform/fs/SafeFile.h"

#include <QDir>
#include <QStandardPaths>

QString XdgShellLink::autostartFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The desktop-entry rules ignore a relative XDG_CONFIG_HOME.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

QString XdgShellLink::quoteExecArgument(const QString &argument)
{
    // Inside double quotes the desktop-entry rules reserve ", `, $ and \; '%' is a field code.
    QString quoted;
    quoted.reserve(argument.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // A backslash in a string value of the entry must itself be escaped once more.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

QString XdgShellLink::desktopEntry(const QString &link, const QString &target,
                                   const QString &arguments)
{
    QString exec = quoteExecArgument(target);
    if (!arguments.isEmpty())
        exec += QLatin1Char(' ') + arguments;
    const QString folder = QFileInfo(target).absolutePath();
    QString entry;
    entry += QStringLiteral("[Desktop Entry]\n");
    entry += QStringLiteral("Type=Application\n");
    entry += QStringLiteral("Name=") + link + QLatin1Char('\n');
    entry += QStringLiteral("Comment=Office message pad: announces waiting messages\n");
    entry += QStringLiteral("Exec=") + exec + QLatin1Char('\n');
    entry += QStringLiteral("Path=") + folder + QLatin1Char('\n');
    entry += QStringLiteral("Icon=notavo\n");
    entry += QStringLiteral("Terminal=false\n");
    entry += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return entry;
}

bool XdgShellLink::fCreateShellLink(const QString &folder, const QString &link,
                                    const QString &target, const QString &arguments)
{
    // "StartUp" is the only folder the program asks for; it is the autostart folder here.
    QString directory = autostartFolder();
    if (folder.compare(QStringLiteral("StartUp"), Qt::CaseInsensitive) != 0)
        directory = QFileInfo(directory).absolutePath() + QLatin1Char('/') + folder;
    if (!QDir().mkpath(directory))
        return false;
    const QString path = directory + QLatin1Char('/') + link + QStringLiteral(".desktop");
    return SafeFile::replace(path, desktopEntry(link, target, arguments).toUtf8()).ok();
}
