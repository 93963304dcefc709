#pragma once

#include <string>

namespace sweepfilter::tool
{

// Every signal that would end the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, ...)
// ends the tool's work instead: the first one is recorded and the running subcommand stops at
// its next check (the interrupted system call returns at once); a second one ends the process
// on the spot. Either way pending temporary files are removed and the exit code is 128 + the
// signal's number. A signal ignored when the tool starts stays ignored. Beyond a file-size
// limit writes fail rather than end the tool. A crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT) still removes the temporary files before it ends the process: the handlers call
// `removeAllTemporaries`, which must be safe in a signal handler.
void installSignalHandlers(void (*removeAllTemporaries)() noexcept);

// "SIGINT", "SIGQUIT", ...
std::string signalName(int number);

// The signal received so far, or 0.
int receivedSignal() noexcept;

// Throws ToolError(128 + signal) when a signal has arrived. `outcome` says what was left.
void throwIfInterrupted(const char* outcome = "no output written");

} // namespace sweepfilter::tool
