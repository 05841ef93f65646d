// A copy of the program's store, run as its own process by the multi-process tests:
//   notavo_stress_child distinct <folder> <writer> <count> <extension>
//       writes <count> messages of its own, each under a new name
//   notavo_stress_child same <folder> <writer> <count> <file name>
//       writes <count> messages, all under the one name
//   notavo_stress_child loop <path> <size>
//       saves two known contents of <size> bytes in turn until it is killed
//   notavo_stress_child values <path> <count>
//       writes the account values valueText(0) and valueText(1) in turn, <count> times
//   notavo_stress_child moves <folder> <name>
//       moves <name> between <folder> and its History folder until it is killed
//   notavo_stress_child move <path> <folder>
//       moves the message once; exits with the failed result's error number
//   notavo_stress_child save <path> <text>
//       writes <text> once; exits with the failed result's error number (StoreResult::Error)
// Exits with 1 (and says why on stderr) when a write fails.
#include "StressContent.h"
#include "store/Cp1252Codec.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

bool save(const QString &path, const QByteArray &bytes)
{
    const StoreResult result = Store::writeWholeText(path, Cp1252Codec::decode(bytes));
    if (!result.ok())
        std::fprintf(stderr, "notavo_stress_child: %s\n", qPrintable(result.describe()));
    return result.ok();
}

int usage()
{
    std::fprintf(stderr,
                 "usage: notavo_stress_child distinct|same <folder> <writer> <count> <ext|name>\n"
                 "       notavo_stress_child loop <path> <size>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("loop")) {
        const QString path = args.at(2);
        const int size = args.at(3).toInt();
        const QByteArray contents[2]
            = { StressContent::messageBytes(0, 0, size), StressContent::messageBytes(1, 1, size) };
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        for (int i = 0;; i = 1 - i) {
            if (!save(path, contents[i]))
                return 1;
        }
    }
    if (args.size() == 4 && args.at(1) == QLatin1String("values")) {
        const int count = args.at(3).toInt();
        for (int i = 0; i < count; ++i) {
            const StoreResult result
                = Store::writeSingleValue(args.at(2), StressContent::valueText(i % 2));
            if (!result.ok()) {
                std::fprintf(stderr, "notavo_stress_child: %s\n", qPrintable(result.describe()));
                return 1;
            }
        }
        return 0;
    }
    if (args.size() == 4 && args.at(1) == QLatin1String("moves")) {
        const QString inbox = args.at(2);
        const QString history = inbox + QStringLiteral("/History");
        const QString name = QLatin1Char('/') + args.at(3);
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        for (;;) {
            const bool inInbox = QFile::exists(inbox + name);
            Store::moveMessage((inInbox ? inbox : history) + name, inInbox ? history : inbox);
        }
    }
    if (args.size() == 4
        && (args.at(1) == QLatin1String("save") || args.at(1) == QLatin1String("move"))) {
        const StoreResult result = args.at(1) == QLatin1String("save")
            ? Store::writeWholeText(args.at(2), args.at(3))
            : Store::moveMessage(args.at(2), args.at(3));
        if (!result.ok())
            std::fprintf(stderr, "%s\n", qPrintable(result.describe()));
        return int(result.error);
    }
    if (args.size() != 6)
        return usage();
    const QString mode = args.at(1);
    const QString folder = args.at(2) + QLatin1Char('/');
    const int writer = args.at(3).toInt();
    const int count = args.at(4).toInt();
    const QString last = args.at(5);
    for (int index = 0; index < count; ++index) {
        if (mode == QLatin1String("distinct")) {
            const int size = StressContent::sizeFor(writer, index, 64, 16 * 1024);
            const QString name = QStringLiteral("w%1-%2%3").arg(writer).arg(index).arg(last);
            if (!save(folder + name, StressContent::messageBytes(writer, index, size)))
                return 1;
        } else if (mode == QLatin1String("same")) {
            const int size = StressContent::sizeFor(writer, index, 4 * 1024, 64 * 1024);
            if (!save(folder + last, StressContent::messageBytes(writer, index, size)))
                return 1;
        } else {
            return usage();
        }
    }
    return 0;
}
