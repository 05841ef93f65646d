#pragma once

#include <QList>

// How long the viewer's text box takes to show a message: the text set, laid out and painted
// once, as Open does. A message that is one long line is the hard case (anyone who can write
// the folder can plant one); a message of ordinary lines of the same size is the yardstick.
struct OpenResult
{
    int kilobytes = 0;
    double longLineMs = 0; // median, one word
    double wordsLineMs = 0; // median, one line of words
    double shortLinesMs = 0; // median
    double longestStallMs = 0; // the longest the event loop then waited, scrolling to the end
};

QList<OpenResult> runOpenProbe(const QList<int> &kilobytes, int repeats);
