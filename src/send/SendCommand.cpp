#include "SendCommand.h"

#include "fs/DataFolder.h"
#include "store/ComposedMessage.h"
#include "store/MessageFileName.h"
#include "store/NamedMessage.h"
#include "store/RecipientLookup.h"
#include "store/SlotTable.h"
#include "store/Store.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace {

// Text read from standard input beyond this is refused unread: no message may hold it.
constexpr qint64 MaxInputBytes = 4 * Store::MaxMessageBytes;

struct Failure
{
    int status;
    QString reason;
};

void say(QIODevice &device, const QString &line)
{
    device.write((line + QLatin1Char('\n')).toLocal8Bit());
}

QString loginName()
{
    if (const passwd *entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("LOGNAME", qEnvironmentVariable("USER"));
}

// A script's lines end with LF; a message's with CR LF, as the compose window types them.
// Line ends at the very end are dropped, as a typed message has none (echo adds one).
QString messageBody(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

bool readInput(QIODevice &input, QString *text, Failure *failure)
{
    QByteArray bytes;
    for (;;) {
        const QByteArray chunk = input.read(65536);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
        if (bytes.size() > MaxInputBytes) {
            *failure = { SendCommand::BadInput,
                         QStringLiteral("the text on standard input is larger than a message "
                                        "may hold (16 MB)") };
            return false;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = utf8(bytes);
    if (utf8.hasError()) {
        *failure
            = { SendCommand::BadInput, QStringLiteral("the text on standard input is not UTF-8") };
        return false;
    }
    return true;
}

QString recipientProblem(const QString &to, const RecipientLookup &lookup)
{
    if (lookup.outcome == RecipientLookup::Outcome::Ambiguous)
        return QStringLiteral("\"%1\" names more than one slot (%2); use its list entry")
            .arg(to, lookup.matches.join(QStringLiteral(", ")));
    return QStringLiteral("no recipient \"%1\"; valid: %2")
        .arg(to, lookup.choices.join(QStringLiteral(", ")));
}

// Exit status 1 for what the caller can fix in the call, 2 for the folder and the disk.
int statusOf(const StoreResult &result)
{
    switch (result.error) {
    case StoreResult::Error::Unencodable:
    case StoreResult::Error::TooLarge:
    case StoreResult::Error::InvalidName:
        return SendCommand::BadInput;
    default:
        return result.systemError == ENAMETOOLONG ? SendCommand::BadInput : SendCommand::NotWritten;
    }
}

} // namespace

QString SendCommand::helpText()
{
    static const char text[] = R"help(Usage: notavo-send --to RECIPIENT [OPTION]... [TEXT]...
Leaves a message in a Notavo office folder: the file the compose window writes for the same
fields, announced by every copy of Notavo logged into the recipient's slot.

The text is the TEXT arguments joined by spaces or, without them, standard input (UTF-8).
Its lines end with CR LF in the message; line ends at its very end are dropped. A message
never replaces another: a name already taken gets " (2)", " (3)" and so on. When anything
fails, nothing is written and one line on standard error says why. A text that begins with a
dash follows a "--".

Options:
  --to RECIPIENT   the recipient: a list entry ("Default", "User 1" .. "User 6"), or a
                   slot's user name or full name as the folder's account files hold them
                   (exact, case-sensitive); a list entry wins over a name
  --from SENDER    the sender after "From: " (default: the login name running this)
  --priority TEXT  the priority (default: Normal; Notavo offers Emergency, Urgent, ASAP,
                   Normal and Low)
  --name NAME      the message name (default: the date and time, as 2026-12-09 14.05.15)
  --folder DIR     the office folder (default: the folder this notavo-send is in)
  -h, --help       shows this help
  -v, --version    shows the version

Exit status:
  0                the message was written; its path is printed
  1                bad input: an unknown option, an unknown or ambiguous recipient, an
                   empty field or text, an unsafe name, a character a message file
                   cannot store
  2                could not write: the folder is missing, is no Notavo folder or is
                   read-only, the disk is full

Examples:
  $ notavo-send --to "User 2" --priority Urgent The nightly backup failed
  $ df -h /srv | notavo-send --to Ann --from backup --name "Disk space"
)help";
    return QString::fromUtf8(text);
}

int SendCommand::run(const QStringList &arguments, QIODevice &input, QIODevice &output,
                     QIODevice &errors)
{
    QCommandLineParser parser;
    // The text may begin with a dash ("-5 degrees"): once it starts, all is text.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("recipient"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("sender"));
    const QCommandLineOption priority(QStringLiteral("priority"), QString(), QStringLiteral("text"),
                                      QStringLiteral("Normal"));
    const QCommandLineOption name(QStringLiteral("name"), QString(), QStringLiteral("name"));
    const QCommandLineOption folder(QStringLiteral("folder"), QString(), QStringLiteral("dir"));
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    const QCommandLineOption version(
        QStringList { QStringLiteral("v"), QStringLiteral("version") });
    parser.addOptions({ to, from, priority, name, folder, help, version });

    const auto fail = [&errors](const Failure &failure) {
        say(errors, QStringLiteral("notavo-send: ") + failure.reason);
        return failure.status;
    };
    if (!parser.parse(arguments)) {
        QString error = parser.errorText();
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        return fail({ BadInput, error + QStringLiteral("; see notavo-send --help") });
    }
    if (parser.isSet(help)) {
        output.write(helpText().toLocal8Bit());
        return Written;
    }
    if (parser.isSet(version)) {
        say(output, QStringLiteral("notavo-send ") + QCoreApplication::applicationVersion());
        return Written;
    }
    if (!parser.isSet(to))
        return fail(
            { BadInput, QStringLiteral("--to RECIPIENT is missing (see notavo-send --help)") });

    // What the compose window asks for, in its order: every field filled.
    const QString sender = parser.isSet(from) ? parser.value(from) : loginName();
    const QString priorityText = parser.value(priority);
    for (const auto &[value, option] :
         { std::pair { parser.value(to), "--to" }, std::pair { sender, "--from" },
           std::pair { priorityText, "--priority" } })
        if (value.isEmpty())
            return fail({ BadInput, QStringLiteral("%1 is empty").arg(QLatin1String(option)) });

    QString text = parser.positionalArguments().join(QLatin1Char(' '));
    if (parser.positionalArguments().isEmpty()) {
        Failure failure;
        if (!readInput(input, &text, &failure))
            return fail(failure);
    }
    const QString body = messageBody(text);
    if (body.isEmpty())
        return fail({ BadInput, QStringLiteral("the message text is empty") });

    const QDateTime now = QDateTime::currentDateTime();
    const QString messageName = parser.isSet(name)
        ? parser.value(name)
        : now.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    if (isUnsafeMessageName(messageName))
        return fail({ BadInput,
                      QStringLiteral("\"%1\" is not a valid message name (empty, a leading dot "
                                     "or a path separator)")
                          .arg(messageName) });

    const QString office
        = QFileInfo(parser.isSet(folder) ? parser.value(folder) : dataFolder()).absoluteFilePath();
    if (!QFileInfo(office).isDir())
        return fail({ NotWritten, QStringLiteral("the folder \"%1\" does not exist").arg(office) });
    // An office folder always has its History (make office and every start make it); without
    // one this is most likely the empty mount point of a share that is not mounted, where a
    // message would reach nobody.
    if (!QFileInfo(QDir(office).filePath(QStringLiteral("History"))).isDir())
        return fail({ NotWritten,
                      QStringLiteral("\"%1\" is no Notavo folder (it has no History folder)")
                          .arg(office) });

    const QString recipientText = parser.value(to);
    const RecipientLookup lookup = RecipientLookup::find(office, recipientText);
    if (lookup.outcome != RecipientLookup::Outcome::Found)
        return fail({ BadInput, recipientProblem(recipientText, lookup) });

    // The recipient as the compose window's list names the slot, so the "To: " line is the
    // one compose writes (the full name, the list entry when there is none, empty for the
    // default user).
    const ComposedMessage message { ComposedMessage::timeText(now.time()),
                                    ComposedMessage::dateText(now.date()),
                                    priorityText,
                                    lookup.slot->listEntry,
                                    sender,
                                    body };
    const QString content = message.content(message.recipientFullName(office));
    QString written;
    const StoreResult result
        = Store::writeNewNamedMessage(office, messageName, message.slotCode(), content, &written);
    if (!result.ok())
        return fail({ statusOf(result), result.describe() });
    say(output, written);
    return Written;
}
