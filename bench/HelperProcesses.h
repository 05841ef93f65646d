#pragma once

#include <QString>

// The processes the latency probe starts beside the program (the same executable, run with
// --writer, --renamer or --sampler): other people's work, and the measurement's own, kept out
// of the measured process.

// The writer half: reads "<path>\n" lines on stdin, creates each file and prints the
// monotonic time just before it did.
int runWriter();
// The rename loop: renames <folder>/loop-a.txt to loop-b.txt and back until killed; prints the
// number of renames done into countFile every 10,000.
int runRenamer(const QString &folder, const QString &countFile);
// The idle window's slices: sleeps `slices` seconds, then prints the CPU share process `pid`
// used in each second, one line each.
int runSampler(qint64 pid, int slices);
