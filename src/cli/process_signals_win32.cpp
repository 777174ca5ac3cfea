#include "cli/process_signals.h"

#include "comm/uCommThread.h"

#include <atomic>
#include <chrono>
#include <windows.h>

namespace {

std::atomic<bool> gSignalled{false};
std::atomic<int> gSignalCount{0};
std::atomic<int> gSignalsToEnd{0};

// Runs on a thread of its own that the system creates for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    if (gSignalled.exchange(true)) {
        return FALSE; // the second one: the default handler ends the process
    }
    gCancel.store(true);
    if (event == CTRL_CLOSE_EVENT) {
        // The system ends the process when this returns: give the worker the time to reach
        // its next exchange and close the port (Windows allows about 5 s).
        TCommThread::waitUntilNoneLive(std::chrono::milliseconds(4000));
    }
    return TRUE;
}

BOOL WINAPI onSupervisorEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    // The one past the limit: the default handler ends the process.
    return gSignalCount.fetch_add(1) < gSignalsToEnd.load() ? TRUE : FALSE;
}

} // namespace

void installCancelHandlers() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void installSupervisorHandlers(int signalsToEnd) {
    gSignalsToEnd.store(signalsToEnd);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    SetConsoleCtrlHandler(onSupervisorEvent, TRUE);
}

int signalsReceived() {
    return gSignalCount.load();
}

bool cancelSignalled() {
    return gSignalled.load();
}

void protectStandardStreams() {
    // Windows hands out no standard descriptor to a later CreateFileW, and a write to a closed
    // pipe fails without a signal: nothing to do.
}
