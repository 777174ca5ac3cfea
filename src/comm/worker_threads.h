#pragma once
// The operating system's side of the workers' threads (one implementation per OS:
// worker_start_posix.cpp, worker_start_win32.cpp), for TCommThread.

#include <chrono>

// Waits until every worker thread whose worker object is gone has also ended in the operating
// system, or `deadline` passes; true when all have. A process that ends while such a thread is
// still in its own exit code may hang on Windows: ExitProcess stops that thread wherever it is,
// possibly holding a lock of the C runtime that the runtime's own end then waits for.
bool waitForEndedWorkerThreads(std::chrono::steady_clock::time_point deadline);
