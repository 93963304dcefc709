#include "SharedLibrary.h"

#include "PluginError.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sweepfilter::host
{
namespace
{

#if defined(_WIN32)
void* openLibrary(const std::string& path)
{
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}
void* findSymbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
std::string lastLoadError()
{
    return "error " + std::to_string(GetLastError());
}
#else
void* openLibrary(const std::string& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* findSymbol(void* library, const char* name)
{
    return dlsym(library, name);
}
void closeLibrary(void* library)
{
    dlclose(library);
}
std::string lastLoadError()
{
    return dlerror();
}
#endif

} // namespace

SharedLibrary::SharedLibrary(const std::string& path) : path_(path)
{
    if (!std::filesystem::exists(path))
        throw PluginError("plug-in library not found: " + path);
    // The file that was checked, never a namesake the loader would find on its search path
    // (a bare name like libz.so.1 would otherwise load the system's library).
    handle_ = openLibrary(std::filesystem::absolute(path).string());
    if (!handle_)
        throw PluginError("cannot load plug-in library " + path + ": " + lastLoadError());
}

SharedLibrary::~SharedLibrary()
{
    closeLibrary(handle_);
}

void* SharedLibrary::symbol(const char* name) const
{
    return findSymbol(handle_, name);
}

std::filesystem::path executablePath()
{
#if defined(_WIN32)
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

} // namespace sweepfilter::host
