#include "cli/terminal.h"

#include <cstdio>
#include <io.h>

bool stdinIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}
bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}
