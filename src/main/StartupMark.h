#pragma once

#include <QString>

// For the benchmark: when NOTAVO_STARTUP_MARK names a file, the moment the window named
// windowName (or a child of it) is first painted is written there, in monotonic nanoseconds.
// Without the variable nothing happens. Call it before the window is created.
void markFirstPaint(const QString &windowName);
