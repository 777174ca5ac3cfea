#pragma once
// How the headless updater meets its process environment (one file per OS).
//
// Cancel: Ctrl-C, SIGTERM and SIGHUP (Windows: Ctrl-C, Ctrl-Break, closing the console) set
// gCancel and a standing request that every later start of a worker keeps, so a cancel is
// never lost, not even in the pause before a restart. The next such signal ends the process
// at once.
//
// Standard streams: a closed stdout or stderr must neither end the update nor lend its
// descriptor to the serial port.

// Installs the cancel handlers. Call once, before anything that a cancel should stop.
void installCancelHandlers();
// True once a cancel signal has arrived.
bool cancelSignalled();

// The supervisor of several updates in child processes (several ports, station mode) counts
// the same signals and decides itself what each one means; after `signalsToEnd` of them the
// next one ends it at once. The children get no signal from the terminal: the supervisor
// hands the cancel on.
void installSupervisorHandlers(int signalsToEnd);
int signalsReceived();

// SIGPIPE ignored (a write to a closed pipe fails instead of ending the process), and any of
// the descriptors 0, 1 and 2 that is closed reopened on the null device.
void protectStandardStreams();
