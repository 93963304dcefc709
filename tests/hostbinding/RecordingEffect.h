#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EffectBase.h"

namespace sweepfilter::test
{

// What a RecordingEffect saw; kept outside the effect so it outlives destroy().
struct EffectLog
{
    std::vector<std::string> calls;
    bool destroyed = false;
    std::int32_t lastIndex = 0;
    std::int32_t lastValue = 0;
    float lastFloat = 0.0f;
    void* lastPointer = nullptr;
    StereoBuffers lastInputs = nullptr;
    StereoBuffers lastOutputs = nullptr;
    std::int32_t lastFrames = 0;
};

// A minimal derived effect that records the operations the base class routes to it.
class RecordingEffect : public EffectBase
{
public:
    RecordingEffect(EffectLog& log, HostCallback callback = nullptr)
        : EffectBase(callback, 16, 8), log_(log)
    {
    }

    float meterLevel = 0.0f;
    float parameterToReturn = 0.0f;
    std::int32_t stateBlockAnswer = 0;

    void setParameter(std::int32_t index, float value) noexcept override
    {
        record("setParameter", index, 0, value);
    }
    float getParameter(std::int32_t index) noexcept override
    {
        record("getParameter", index);
        return parameterToReturn;
    }
    void processAccumulate(StereoBuffers in, StereoBuffers out,
                           std::int32_t frames) noexcept override
    {
        recordProcess("processAccumulate", in, out, frames);
    }
    void processReplace(StereoBuffers in, StereoBuffers out, std::int32_t frames) noexcept override
    {
        recordProcess("processReplace", in, out, frames);
    }
    void open() noexcept override { record("open"); }
    void close() noexcept override { record("close"); }
    void setProgram(std::int32_t program) noexcept override
    {
        record("setProgram", 0, program);
        EffectBase::setProgram(program);
    }
    void setProgramName(char* name) noexcept override { recordText("setProgramName", 0, name); }
    void getProgramName(char* name) noexcept override { recordText("getProgramName", 0, name); }
    void getParameterLabel(std::int32_t index, char* text) noexcept override
    {
        recordText("getParameterLabel", index, text);
    }
    void getParameterDisplay(std::int32_t index, char* text) noexcept override
    {
        recordText("getParameterDisplay", index, text);
    }
    void getParameterName(std::int32_t index, char* text) noexcept override
    {
        recordText("getParameterName", index, text);
    }
    float getMeterLevel() noexcept override { return meterLevel; }
    std::int32_t getStateBlock(void* data, bool single) noexcept override
    {
        log_.lastPointer = data;
        record(single ? "getStateBlock(program)" : "getStateBlock(bank)");
        return stateBlockAnswer;
    }
    std::int32_t setStateBlock(void* data, std::int32_t size, bool single) noexcept override
    {
        log_.lastPointer = data;
        record(single ? "setStateBlock(program)" : "setStateBlock(bank)", 0, size);
        return stateBlockAnswer;
    }
    void suspend() noexcept override { record("suspend"); }
    void resume() noexcept override { record("resume"); }

    using EffectBase::attachEditor;

protected:
    ~RecordingEffect() override { log_.destroyed = true; }

private:
    void record(const char* name, std::int32_t index = 0, std::int32_t value = 0,
                float option = 0.0f)
    {
        log_.calls.emplace_back(name);
        log_.lastIndex = index;
        log_.lastValue = value;
        log_.lastFloat = option;
    }
    void recordText(const char* name, std::int32_t index, char* text)
    {
        record(name, index);
        log_.lastPointer = text;
    }
    void recordProcess(const char* name, StereoBuffers in, StereoBuffers out, std::int32_t frames)
    {
        record(name);
        log_.lastInputs = in;
        log_.lastOutputs = out;
        log_.lastFrames = frames;
    }

    EffectLog& log_;
};

} // namespace sweepfilter::test
