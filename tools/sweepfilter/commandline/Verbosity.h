#pragma once

namespace sweepfilter::tool
{

// How much a subcommand tells while it works: -q, nothing; -v, also what it did.
enum class Verbosity
{
    quiet,
    normal,
    verbose
};

} // namespace sweepfilter::tool
