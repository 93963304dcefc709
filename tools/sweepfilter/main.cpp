// sweepfilter: a command-line host for plug-ins of this interface, and the effect's demo.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Interruption.h"
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

} // namespace

int main(int argc, char** argv)
{
    installSignalHandlers();
    CommandLine commandLine;
    try
    {
        const auto work = commandLine.parse(std::vector<std::string>(argv + 1, argv + argc));
        if (work)
            work();
        return 0;
    }
    catch (const CLI::Error& error)
    {
        return commandLine.exit(error);
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
