// sweepfilter: a command-line host for plug-ins of this interface, and the effect's demo.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Interruption.h"
#include "OutputFile.h"
#include "PluginError.h"
#include "ToolError.h"

using namespace sweepfilter;
using namespace sweepfilter::tool;

namespace
{

int report(const char* message, int code)
{
    // Whatever failed after a signal failed because of it: say so, with the signal's code.
    if (const int signal = receivedSignal())
    {
        std::fprintf(stderr, "sweepfilter: interrupted by %s\n", signalName(signal).c_str());
        return 128 + signal;
    }
    std::fprintf(stderr, "sweepfilter: %s\n", message);
    return code;
}

// What went to standard output (info, help, versions) counts only once it has arrived: a full
// disk or a closed pipe turns success into a failed write.
int finishStandardOutput(int code)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return code;
    const std::string reason = errno ? std::strerror(errno) : "write error";
    return code != 0 ? code
                     : report(("cannot write standard output: " + reason).c_str(),
                              static_cast<int>(ExitCode::audioFile));
}

} // namespace

int main(int argc, char** argv)
{
    installSignalHandlers(&OutputFile::removeAllPending);
    CommandLine commandLine;
    try
    {
        const auto work = commandLine.parse(std::vector<std::string>(argv + 1, argv + argc));
        if (work)
            work();
        return finishStandardOutput(0);
    }
    catch (const CLI::Error& error)
    {
        return finishStandardOutput(commandLine.exit(error));
    }
    catch (const ToolError& error)
    {
        // An interruption reports itself; other failures are checked for a signal behind them.
        if (static_cast<int>(error.code()) > 128)
        {
            std::fprintf(stderr, "sweepfilter: %s\n", error.what());
            return static_cast<int>(error.code());
        }
        return report(error.what(), static_cast<int>(error.code()));
    }
    catch (const host::PluginError& error)
    {
        return report(error.what(), static_cast<int>(ExitCode::plugin));
    }
    catch (const std::exception& error)
    {
        return report(error.what(), 1);
    }
}
