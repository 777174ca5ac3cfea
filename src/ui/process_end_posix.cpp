#include "ui/process_end.h"

#include <cstdlib>

void endProcessNow(int exitCode) {
    std::_Exit(exitCode);
}
