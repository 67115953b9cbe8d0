#pragma once

// What the main window does once the log is installed: keep the machine
// awake for the run, then record where and on what the program runs.
class StartupDiagnostics {
public:
    static void run();
};
