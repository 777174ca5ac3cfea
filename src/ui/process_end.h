#pragma once
// Ends the process at once with `exitCode`, without running the destructors of static objects
// or any other clean-up of the process (on Windows not even the libraries' own: a worker that
// still runs may hold a lock that they would wait for). Output must be flushed before.
// One implementation per OS (process_end_posix.cpp, process_end_win32.cpp).
[[noreturn]] void endProcessNow(int exitCode);
