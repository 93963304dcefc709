#pragma once

#include <cstdint>

namespace sweepfilter
{

// An optional editor window an effect may attach. The effect owns it and ends it through
// destroy(). Nothing in the plug-in implements one: hosts show the parameters generically.
class EditorInterface
{
public:
    virtual void destroy() = 0;
    virtual std::int32_t editorRect(void* pointer) = 0;
    virtual std::int32_t editorOpen(void* pointer) = 0;
    virtual void editorClose() = 0;
    virtual void editorIdle() = 0;

protected:
    ~EditorInterface() = default;
};

} // namespace sweepfilter
