#pragma once

#include <array>
#include <cstdint>

#include "EffectProgram.h"

namespace sweepfilter
{

// The effect's sixteen programs, in memory only.
class ProgramBank
{
public:
    static constexpr std::int32_t size = 16;

    static constexpr bool contains(std::int32_t index) noexcept
    {
        return index >= 0 && index < size;
    }

    EffectProgram& operator[](std::int32_t index) noexcept
    {
        return programs_[static_cast<std::size_t>(index)];
    }

private:
    std::array<EffectProgram, size> programs_{};
};

} // namespace sweepfilter
