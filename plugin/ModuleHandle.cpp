// The load notification: when the loader maps the library, it records the module handle and
// reports success. Kept for the platform's sake; nothing reads it.

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sweepfilter
{
namespace
{
void* moduleHandle = nullptr;
} // namespace
} // namespace sweepfilter

#if defined(_WIN32)

// The loader's entry point, not an export: it answers TRUE whatever the reason.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    sweepfilter::moduleHandle = instance;
    return TRUE;
}

#else

namespace sweepfilter
{
namespace
{

// On Linux the handle is the library's base address.
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

#endif
