#pragma once
// The desktop program's start, in its fixed order, and its end.

#include <functional>

class TfrmMain;

// Runs the program: the application object, the worker class, the main window, the overview,
// report and message windows, then the event loop until the main window closes. `started`,
// when given, runs once all windows exist, before the event loop (the screenshot tool and the
// tests use it to drive the windows). Returns the exit code.
// The overview, report and message windows, created in this order and owned by `main`.
void createSecondaryWindows(TfrmMain& main);

int runProgram(int argc, char** argv, const std::function<void(TfrmMain&)>& started = {});
