#include "Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "ToolError.h"

namespace sweepfilter::tool
{
namespace
{

std::atomic<int> firstSignal{0};
void (*removeTemporaries)() noexcept = nullptr;

void cleanUp() noexcept
{
    if (removeTemporaries)
        removeTemporaries();
}

void onSignal(int number) noexcept
{
    int expected = 0;
    if (!firstSignal.compare_exchange_strong(expected, number))
    {
        // A second signal: leave at once, but leave nothing half-written behind.
        cleanUp();
        _exit(128 + number);
    }
}

// A crash (most likely in a plug-in): remove the temporaries, say so, and end as the signal
// would have ended the tool.
void onCrash(int number) noexcept
{
    cleanUp();
    static const char message[] = "sweepfilter: crashed (a fault in the plug-in?); no output "
                                  "written\n";
    if (write(STDERR_FILENO, message, sizeof message - 1) < 0)
    {
        // Nothing more can be done about a message that cannot be written.
    }
    signal(number, SIG_DFL);
    raise(number);
}

} // namespace

std::string signalName(int number)
{
    const char* abbreviation = sigabbrev_np(number);
    return abbreviation ? std::string("SIG") + abbreviation : "a signal";
}

void installSignalHandlers(void (*removeAllTemporaries)() noexcept)
{
    removeTemporaries = removeAllTemporaries;
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read, write or open blocked on a pipe or terminal returns at once, so
    // the work notices the signal without waiting for a peer.
    action.sa_flags = 0;
    // Every signal that would end the process. One that is ignored when the tool starts
    // (nohup, a script's background job) stays ignored.
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE,
                       SIGXCPU, SIGVTALRM, SIGPROF})
    {
        struct sigaction current
        {
        };
        if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        sigaction(number, &action, nullptr);
    }
    // Beyond a file-size limit a write fails (EFBIG) instead of ending the tool, so it is
    // reported as a failed write and its temporary removed.
    signal(SIGXFSZ, SIG_IGN);

    struct sigaction crash
    {
    };
    crash.sa_handler = onCrash;
    sigemptyset(&crash.sa_mask);
    crash.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);
    for (int number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(number, &crash, nullptr);
}

int receivedSignal() noexcept
{
    return firstSignal.load();
}

void throwIfInterrupted(const char* outcome)
{
    if (const int number = receivedSignal())
        throw ToolError(static_cast<ExitCode>(128 + number),
                        std::string("interrupted by ") + signalName(number) + "; " + outcome);
}

} // namespace sweepfilter::tool
