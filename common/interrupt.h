#pragma once
#include <string>

namespace setrion {

// A request to end the running sequence: made by a termination signal (SIGINT, SIGTERM, SIGHUP
// or the console's Ctrl+C and close events) or by the program itself (a window closed while a
// sequence runs). Sequences end at their next step boundary once it is set, and the system
// clock's sleeps and the reply polls end early, except inside an InterruptShield.
bool interruptRequested();
// The signal that made the request; 0 when the program made it.
int interruptSignal();
// The exit code of a process ended by the request: 128 + the signal (130 SIGINT, 143 SIGTERM,
// 129 SIGHUP), 130 when the program made it.
int interruptExitCode();
void requestInterrupt(int signal);
void clearInterrupt();

// True when a request is set and no shield is up: what a wait checks to end early.
bool interruptPending();

// While one lives, waits run to their end despite a request: a step that commits (the store)
// or undoes (leaving command mode) is awaited whole, so its outcome is known.
class InterruptShield {
  public:
    InterruptShield();
    ~InterruptShield();
    InterruptShield(const InterruptShield&) = delete;
    InterruptShield& operator=(const InterruptShield&) = delete;
};

// Installs the handlers of the termination signals: the first makes the request; a second one
// removes the folders registered below and ends the process at once with interruptExitCode().
// SIGPIPE is ignored: a write to a closed pipe fails instead.
void installInterruptHandlers();
// A folder of files (no subfolders) a second signal removes before the process ends; up to
// four at once. Unregistered when removed the ordinary way.
void removeOnAbruptExit(const std::string& folder);
void forgetOnAbruptExit(const std::string& folder);

// Called in a child between fork and exec: the child is sent SIGTERM when the parent (process
// id `parent`, taken before the fork) ends, and ends at once if it has ended already.
void endWithParent(long parent);
// This process's id, for endWithParent.
long currentProcessId();

}  // namespace setrion
