// A worker's thread on Windows: a thread of the C runtime whose handle is closed at once, which is
// how Windows detaches a thread. std::thread::detach is not used here: with mingw-w64's
// winpthreads (10.0) a thread that is detached while it ends can hand its bookkeeping record to
// the next thread created while its own exit code still writes to it; the next worker then
// never runs (or runs without its argument), and whoever waits for it waits forever.
#include "comm/uCommThread.h"

#include <windows.h>

#include <cerrno>
#include <process.h>
#include <system_error>

void TCommThread::start(std::unique_ptr<TCommThread> worker) {
    // x64 has one calling convention, so the lambda is the __stdcall function it asks for.
    unsigned (*run)(void*) = [](void* argument) -> unsigned {
        const std::unique_ptr<TCommThread> self(static_cast<TCommThread*>(argument));
        self->Execute();
        return 0;
    };
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, run, worker.get(), 0, nullptr);
    if (thread == 0) {
        // The worker is still the caller's and is deleted with `worker`.
        throw std::system_error(errno, std::generic_category(), "cannot start the worker thread");
    }
    worker.release(); // the thread owns it now
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}
