#pragma once

class PausableShare;

// Runs a real main window (offscreen) on a FUSE share, stops the share's server for
// `stopSeconds` while a message waits on the server's side, and measures whether the windows
// kept answering meanwhile and how soon the message was counted once the server went on.
struct StalledShareResult
{
    double longestGapMs = 0; // the longest the windows' thread went without handling an event
    int windowsShown = 0; // close dialog and menu shown and hidden while the share was stopped
    bool countsKept = false; // the count labels kept their last values
    double catchUpMs = 0; // from the server going on to the message counted
};

StalledShareResult runStalledShareProbe(PausableShare &share, int stopSeconds);
