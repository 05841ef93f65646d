#pragma once

#include <QByteArray>
#include <QString>

// Deterministic message contents for the multi-process tests: every message names its writer,
// its index and its size in a first line, and the rest is generated from those, so a reader
// can tell from the bytes alone which whole message it must be, and any mix of two messages
// or any cut-off tail shows up as a mismatch.
namespace StressContent {

// True when NOTAVO_STRESS=1 asks for the full-size runs.
bool fullSize();

// The message text bytes (every value 0x00..0xFF occurs in the body), without the CR LF the
// whole-text write adds.
QByteArray messageBytes(int writer, int index, int size);

// A size between minimum and maximum that differs from message to message.
int sizeFor(int writer, int index, int minimum, int maximum);

// The bytes a file holds after writeWholeText of messageBytes(): the message and one CR LF.
QByteArray fileBytes(int writer, int index, int size);

// Reads writer, index and size from the first line of file bytes and checks that the file is
// exactly fileBytes() of them. False for anything else (empty, cut short, mixed).
bool identify(const QByteArray &file, int *writer, int *index);

// Two account values (a full name with a comma-free tail of some length) that writers
// alternate: a reader must always see one of them whole.
QString valueText(int which);

} // namespace StressContent
