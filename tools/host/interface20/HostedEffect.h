#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "EffectOpcodes.h"
#include "EffectRecord.h"
#include "PluginLibrary.h"

namespace sweepfilter::host
{

// One effect of a loaded plug-in, driven only through its record, as a host drives it.
// Closes the effect when destroyed.
class HostedEffect
{
public:
    // Throws PluginError when `main` gives no effect or the record is not a
    // stereo effect of this interface.
    explicit HostedEffect(const PluginLibrary& library);
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    EffectRecord& record() const { return *record_; }

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* pointer = nullptr, float option = 0.0f);

    void open() { dispatch(opcode::open); }
    void setSampleRate(float rate) { dispatch(opcode::setSampleRate, 0, 0, nullptr, rate); }
    void setBlockSize(std::int32_t frames) { dispatch(opcode::setBlockSize, 0, frames); }
    void suspend() { dispatch(opcode::suspendResume, 0, 0); }
    void resume() { dispatch(opcode::suspendResume, 0, 1); }

    std::int32_t programCount() const { return record_->numPrograms; }
    std::int32_t parameterCount() const { return record_->numParameters; }
    void setProgram(std::int32_t program) { dispatch(opcode::setProgram, 0, program); }
    std::int32_t program() { return static_cast<std::int32_t>(dispatch(opcode::getProgram)); }
    std::string programName() { return text(opcode::getProgramName, 0); }
    void setProgramName(std::string name) { dispatch(opcode::setProgramName, 0, 0, name.data()); }

    void setParameter(std::int32_t index, float value)
    {
        record_->setParameter(record_, index, value);
    }
    float getParameter(std::int32_t index) { return record_->getParameter(record_, index); }
    std::string parameterName(std::int32_t index) { return text(opcode::getParameterName, index); }
    std::string parameterLabel(std::int32_t index)
    {
        return text(opcode::getParameterLabel, index);
    }
    std::string parameterDisplay(std::int32_t index)
    {
        return text(opcode::getParameterDisplay, index);
    }

    // The index of a parameter given as its index or its name: case-insensitive, blanks,
    // '-' and '_' ignored ("send_flanger" finds " Send Flanger "). -1 when there is none.
    std::int32_t findParameter(const std::string& indexOrName);

    void processReplace(float* const* inputs, float* const* outputs, std::int32_t frames)
    {
        record_->processReplace(record_, const_cast<float**>(inputs), const_cast<float**>(outputs),
                                frames);
    }
    void processAccumulate(float* const* inputs, float* const* outputs, std::int32_t frames)
    {
        record_->processAccumulate(record_, const_cast<float**>(inputs),
                                   const_cast<float**>(outputs), frames);
    }

    // A text opcode's result, read from a roomy buffer and cut at its terminator.
    std::string text(std::int32_t opcode, std::int32_t index);

    // Ends the effect now; the record is gone afterwards. Answers what the plug-in answered.
    std::intptr_t close();

    // Answers 1 to the version query and 0 to the other host requests.
    static std::intptr_t hostCallback(EffectRecord* record, std::int32_t opcode, std::int32_t index,
                                      std::intptr_t value, void* pointer, float option);

private:
    EffectRecord* record_;
};

// Four-character codes as text, first character from the most significant byte.
std::string fourCharacterText(std::int32_t code);

} // namespace sweepfilter::host
