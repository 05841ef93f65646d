#pragma once

class QWidget;

// For the benchmark: when NOTAVO_STARTUP_MARK names a file, the moment the splash is first
// painted (monotonic nanoseconds) is written there. Without it nothing happens.
void markFirstPaint(QWidget *splash);
