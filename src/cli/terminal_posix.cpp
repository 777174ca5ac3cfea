#include "cli/terminal.h"

#include <unistd.h>

bool stdinIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}
bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
