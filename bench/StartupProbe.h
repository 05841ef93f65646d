#pragma once

// Starts the real program several times in a fresh data folder (offscreen) and measures the
// time from exec to the splash window being exposed, and the peak resident memory once the
// main window is up. Medians over `starts`.
struct StartupResult
{
    double splashMs = 0;
    double peakRssMb = 0;
    int failures = 0;
};

StartupResult runStartupProbe(int starts);
