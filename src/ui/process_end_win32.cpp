#include "ui/process_end.h"

#include <windows.h>

#include <cstdlib>

void endProcessNow(int exitCode) {
    // ExitProcess (and so _Exit) still calls every DLL's detach code after stopping the other
    // threads wherever they are; TerminateProcess does not.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    std::abort(); // not reached
}
