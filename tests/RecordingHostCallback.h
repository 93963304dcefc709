#pragma once

#include <cstdint>
#include <vector>

#include "EffectRecord.h"

namespace sweepfilter::test
{

// A request the plug-in sent to the host.
struct HostRequest
{
    EffectRecord* record;
    std::int32_t opcode, index;
    std::intptr_t value;
    void* pointer;
    float option;
};

// A host's side of the callback: records every request, answers `versionAnswer` to the
// version query and `answer` to everything else.
struct RecordingHostCallback
{
    static inline std::vector<HostRequest> requests;
    static inline std::intptr_t versionAnswer = 2400;
    static inline std::intptr_t answer = 0;

    static std::intptr_t callback(EffectRecord* record, std::int32_t opcode, std::int32_t index,
                                  std::intptr_t value, void* pointer, float option)
    {
        requests.push_back({record, opcode, index, value, pointer, option});
        return opcode == 1 ? versionAnswer : answer;
    }
};

} // namespace sweepfilter::test
