#include "ShellLink.h"

#include "fs/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString XdgShellLink::autostartFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The desktop-entry rules ignore a relative XDG_CONFIG_HOME.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

namespace {

// Backslash is the escape character of every string value in a desktop entry.
QString escapeValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return escaped;
}

// A desktop entry is line based and its values may hold no control characters; a path with
// one cannot be written faithfully, so no entry is made for it.
bool isWritable(const QString &value)
{
    for (const QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && isWritable(name);
}

} // namespace

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
    // The string escape applies on top of the quoting, so a backslash doubles once more.
    return escapeValue(quoted);
}

XdgShellLink::Switches XdgShellLink::switchesOf(const QByteArray &entry)
{
    Switches switches;
    bool mainGroup = false;
    for (const QByteArray &rawLine : entry.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            mainGroup = line == "[Desktop Entry]";
            continue;
        }
        const int equals = line.indexOf('=');
        if (!mainGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "Hidden")
            switches.hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled")
            switches.gnomeDisabled = value == "false";
    }
    return switches;
}

QString XdgShellLink::desktopEntry(const QString &link, const QString &target,
                                   const QString &arguments, Switches switches)
{
    QString exec = quoteExecArgument(target);
    // The argument text is a command line; each of its words becomes one quoted argument.
    const QStringList words = QProcess::splitCommand(arguments);
    for (const QString &word : words)
        exec += QLatin1Char(' ') + quoteExecArgument(word);
    const QString folder = QFileInfo(target).absolutePath();
    QString entry;
    entry += QStringLiteral("[Desktop Entry]\n");
    entry += QStringLiteral("Type=Application\n");
    entry += QStringLiteral("Name=") + escapeValue(link) + QLatin1Char('\n');
    entry += QStringLiteral("Comment=Office message pad: announces waiting messages\n");
    entry += QStringLiteral("Exec=") + exec + QLatin1Char('\n');
    entry += QStringLiteral("Path=") + escapeValue(folder) + QLatin1Char('\n');
    // The icon the menu entry installs (tools/install-launcher.sh), so both look the same.
    entry += QStringLiteral("Icon=io.github.notavo.Notavo\n");
    entry += QStringLiteral("Terminal=false\n");
    entry += switches.gnomeDisabled ? QStringLiteral("X-GNOME-Autostart-enabled=false\n")
                                    : QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    if (switches.hidden)
        entry += QStringLiteral("Hidden=true\n");
    return entry;
}

bool XdgShellLink::fCreateShellLink(const QString &folder, const QString &link,
                                    const QString &target, const QString &arguments)
{
    if (!isPlainName(link) || !isWritable(target) || !isWritable(arguments) || target.isEmpty())
        return false;
    // "StartUp" is the only folder the program asks for; it is the autostart folder here.
    QString directory = autostartFolder();
    if (folder.compare(QStringLiteral("StartUp"), Qt::CaseInsensitive) != 0) {
        if (!isPlainName(folder))
            return false;
        directory = QFileInfo(directory).absolutePath() + QLatin1Char('/') + folder;
    }
    if (!QDir().mkpath(directory))
        return false;
    const QString path = directory + QLatin1Char('/') + link + QStringLiteral(".desktop");
    // The user may have switched the entry off in the desktop's autostart settings: the new
    // entry stays switched off.
    Switches switches;
    QFile old(path);
    if (QFileInfo(path).isFile() && old.open(QIODevice::ReadOnly))
        switches = switchesOf(old.read(64 * 1024));
    // The user's own configuration folder may well be a link (dotfile managers make them).
    return SafeFile::replace(path, desktopEntry(link, target, arguments, switches).toUtf8(),
                             SafeFile::FolderLinks::Follow)
        .ok();
}
