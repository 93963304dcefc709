// The load notification: when the loader maps the library, it records the module handle (the
// library's base address) and reports success. Kept for the platform's sake; nothing reads it.

#include <dlfcn.h>

namespace sweepfilter
{
namespace
{

void* moduleHandle = nullptr;

int onModuleLoaded() noexcept
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&onModuleLoaded), &info) != 0)
        moduleHandle = info.dli_fbase;
    return 1;
}

__attribute__((constructor)) void loadNotification() noexcept
{
    onModuleLoaded();
}

} // namespace
} // namespace sweepfilter
