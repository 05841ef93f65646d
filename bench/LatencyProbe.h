#pragma once

#include "fs/FolderWatch.h"

#include <QList>
#include <QString>

// Runs a real main window (offscreen, with its timers) on a data folder holding `otherFiles`
// files of other slots, and measures:
// - the time from another process creating a message for the logged-in slot to the count
//   label showing it and the new-message icon being in the tray, over `trials` messages;
// - the CPU the program uses over `idleSeconds` (idle, or under the rename loop), counted from
//   `settleSeconds` after the last message: what follows a change once (the compose window
//   built on the first tick, the re-read a second after a change) is not what idling costs.
struct LatencyOptions
{
    FolderWatch::Mode mode = FolderWatch::Mode::Automatic;
    int otherFiles = 10;
    int trials = 200;
    double idleSeconds = 10;
    double settleSeconds = 3;
    // The data folder; empty: a fresh local folder. The other process writes into writeFolder
    // (a share's source folder: another computer), or into the data folder when empty.
    QString dataFolder;
    QString writeFolder;
    // A process renaming a file no pattern matches in a tight loop, from before the first
    // trial to the end of the CPU measurement.
    bool renameLoop = false;
    // Each message is written after a random pause of up to this long: a polled share is
    // checked on a steady beat, and messages written right after the last one was noticed
    // would all land at the same point of it.
    int randomPauseMs = 0;
    // A process whose CPU is measured alongside (the share's server), or 0.
    qint64 serverPid = 0;
    // Process groups whose CPU is measured alongside (a real share's server and client).
    QList<qint64> shareGroups;
};

struct LatencyResult
{
    double p50Ms = 0;
    double p99Ms = 0;
    int timeouts = 0;
    int wrongLabel = 0;
    double idleCpuPercent = 0;
    // The median of the idle window's one-second slices, taken by a separate process so that
    // the measurement wakes nothing: what the program's own ticks cost.
    // On a virtual machine whose host takes back memory left untouched for a while, a tick
    // that touches such pages is billed milliseconds for the host's fault (a plain C loop
    // touching cold pages once a second shows the same); the mean carries those, the median
    // does not, and a real periodic cost of more than half the slices shows in both.
    double idleSliceMedianPercent = 0; // -1: the sampler gave no slices
    double serverCpuPercent = -1;
    double shareCpuPercent = -1; // the share's server and client together
    double renamesPerSecond = 0;
    double unwatchedRenamesPerSecond = 0; // the same loop in a folder nobody watches
    double plainListingMs = 0; // a share's folder listed by readdir alone (median)
};

LatencyResult runLatencyProbe(const LatencyOptions &options);
