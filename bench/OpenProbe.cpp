#include "OpenProbe.h"

#include "Stats.h"
#include "messages/MessageTextEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextCursor>
#include <QWidget>

namespace {

enum class Shape { OneWord, OneLineOfWords, OrdinaryLines };

// One line that is a single word has nowhere to wrap but anywhere: the worst a planted file
// can do. One line of words wraps at the spaces; ordinary lines are the yardstick.
QString message(int bytes, Shape shape)
{
    if (shape == Shape::OneWord)
        return QString(bytes, u'x') + QLatin1String("\r\n");
    QString text;
    text.reserve(bytes + 2);
    const QString word = QStringLiteral("lorem ipsum ");
    while (text.size() < bytes) {
        if (shape == Shape::OrdinaryLines && text.size() % 72 >= 60)
            text += QLatin1String("\r\n");
        else
            text += word.at(text.size() % word.size());
    }
    text.truncate(bytes);
    return text + QLatin1String("\r\n");
}

// Sets the text into a shown box of the viewer's size and paints it; milliseconds.
double openOnce(QWidget &window, MessageTextEdit &box, const QString &text)
{
    box.setMessageText(QString());
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    box.setMessageText(text);
    window.repaint();
    box.viewport()->repaint();
    QApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

// The longest single step while the user scrolls through the text to its end.
double longestStall(MessageTextEdit &box)
{
    double longest = 0;
    QScrollBar *bar = box.verticalScrollBar();
    for (int step = 0; step < 20; ++step) {
        QElapsedTimer clock;
        clock.start();
        bar->setValue(bar->minimum() + (bar->maximum() - bar->minimum()) * (step + 1) / 20);
        box.moveCursor(step % 2 ? QTextCursor::End : QTextCursor::Start);
        box.viewport()->repaint();
        QApplication::processEvents();
        longest = std::max(longest, double(clock.nsecsElapsed()) / 1e6);
    }
    return longest;
}

} // namespace

QList<OpenResult> runOpenProbe(const QList<int> &kilobytes, int repeats)
{
    QWidget window;
    window.resize(304, 267);
    MessageTextEdit box(QStringLiteral("Text1"), &window);
    box.setGeometry(8, 8, 289, 217);
    window.show();
    QApplication::processEvents();

    QList<OpenResult> results;
    for (const int size : kilobytes) {
        OpenResult result;
        result.kilobytes = size;
        const QString longWord = message(size * 1024, Shape::OneWord);
        const QString wordsLine = message(size * 1024, Shape::OneLineOfWords);
        const QString shortLines = message(size * 1024, Shape::OrdinaryLines);
        QList<double> longTimes;
        QList<double> wordsTimes;
        QList<double> shortTimes;
        for (int i = 0; i < repeats; ++i) {
            longTimes.append(openOnce(window, box, longWord));
            result.longestStallMs = std::max(result.longestStallMs, longestStall(box));
            wordsTimes.append(openOnce(window, box, wordsLine));
            result.longestStallMs = std::max(result.longestStallMs, longestStall(box));
            shortTimes.append(openOnce(window, box, shortLines));
            result.longestStallMs = std::max(result.longestStallMs, longestStall(box));
        }
        result.longLineMs = median(longTimes);
        result.wordsLineMs = median(wordsTimes);
        result.shortLinesMs = median(shortTimes);
        results.append(result);
    }
    return results;
}
