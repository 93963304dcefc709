#pragma once

#include <stdexcept>

namespace sweepfilter::host
{

// A plug-in library that does not load, has no entry point, makes no effect or makes one a
// host cannot use; the message says which and why.
class PluginError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace sweepfilter::host
