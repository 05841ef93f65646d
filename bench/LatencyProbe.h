#pragma once

#include "platform/fs/FolderWatch.h"

#include <QString>

// Runs a real main window (offscreen, with its timers) on a data folder holding `otherFiles`
// files of other slots, and measures:
// - the time from another process creating a message for the logged-in slot to the count
//   label showing it and the new-message icon being in the tray, over `trials` messages;
// - the CPU the idle program uses over `idleSeconds`.
struct LatencyResult
{
    double p50Ms = 0;
    double p99Ms = 0;
    int timeouts = 0;
    int wrongLabel = 0;
    double idleCpuPercent = 0;
};

LatencyResult runLatencyProbe(FolderWatch::Mode mode, int otherFiles, int trials,
                              double idleSeconds);

// The writer half: reads "<path>\n" lines on stdin, creates each file and prints the
// monotonic time just before it did.
int runWriter();
