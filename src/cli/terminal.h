#pragma once
// Whether the updater's standard input and error streams are terminals (one file per OS).

bool stdinIsTerminal();
bool stderrIsTerminal();
