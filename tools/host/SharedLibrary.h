#pragma once

#include <filesystem>
#include <string>

namespace sweepfilter::host
{

// A shared library (a DLL on Windows) loaded from a file, closed when this ends.
class SharedLibrary
{
public:
    // Loads the file `path` names (a bare name is a file in the current folder). Throws
    // PluginError when the file does not exist or does not load.
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The exported symbol's address; null when there is none.
    void* symbol(const char* name) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    void* handle_;
};

// The running program's file; empty when it cannot be found.
std::filesystem::path executablePath();

} // namespace sweepfilter::host
