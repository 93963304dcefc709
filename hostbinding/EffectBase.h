#pragma once

#include <cstdint>

#include "EditorInterface.h"
#include "EffectOpcodes.h"
#include "EffectRecord.h"
#include "HostCallback.h"
#include "StereoBuffers.h"

namespace sweepfilter
{

// The generic effect: owns the host-facing record, turns host opcodes into virtual
// operations with defaults, and offers record setters, host queries and value texts to the
// derived effect. The virtual operations are declared in the interface's slot order.
// Text arguments are host buffers; number texts need 9 bytes.
class EffectBase
{
public:
    EffectBase(HostCallback hostCallback, std::int32_t numPrograms,
               std::int32_t numParameters) noexcept;

    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    EffectRecord* getEffectRecord() noexcept { return &record_; }

    // Deleting destruction: the derived destructor, then this one, then the memory.
    virtual void destroy() noexcept;
    virtual void setParameter(std::int32_t index, float value) noexcept;
    virtual float getParameter(std::int32_t index) noexcept;
    virtual void setParameterAndNotifyHost(std::int32_t index, float value) noexcept;
    virtual void processAccumulate(StereoBuffers inputs, StereoBuffers outputs,
                                   std::int32_t frames) noexcept = 0;
    virtual void processReplace(StereoBuffers inputs, StereoBuffers outputs,
                                std::int32_t frames) noexcept;
    virtual std::int32_t dispatch(std::int32_t opcode, std::int32_t index, std::int32_t value,
                                  void* pointer, float option) noexcept;
    virtual void open() noexcept;
    virtual void close() noexcept;
    virtual std::int32_t getProgram() noexcept;
    virtual void setProgram(std::int32_t program) noexcept;
    virtual void setProgramName(char* name) noexcept;
    virtual void getProgramName(char* name) noexcept;
    virtual void getParameterLabel(std::int32_t index, char* label) noexcept;
    virtual void getParameterDisplay(std::int32_t index, char* text) noexcept;
    virtual void getParameterName(std::int32_t index, char* text) noexcept;
    virtual float getMeterLevel() noexcept;
    virtual std::int32_t getStateBlock(void* data, bool singleProgram) noexcept;
    virtual std::int32_t setStateBlock(void* data, std::int32_t size, bool singleProgram) noexcept;
    virtual void setSampleRate(float sampleRate) noexcept;
    virtual void setBlockSize(std::int32_t blockSize) noexcept;
    virtual void suspend() noexcept;
    virtual void resume() noexcept;
    virtual void setUniqueId(std::int32_t id) noexcept;
    virtual void setNumInputs(std::int32_t inputs) noexcept;
    virtual void setNumOutputs(std::int32_t outputs) noexcept;
    virtual void setHasMeter(bool state) noexcept;
    virtual void setHasClip(bool state) noexcept;
    virtual void setCanMono(bool state) noexcept;
    virtual void setCanReplace(bool state) noexcept;
    virtual void setProgramsAreStateBlocks(bool state) noexcept;
    virtual void setRealtimeQualities(std::int32_t qualities) noexcept;
    virtual void setOfflineQualities(std::int32_t qualities) noexcept;
    virtual void setInitialDelay(std::int32_t delay) noexcept;
    virtual float getSampleRate() noexcept;
    virtual std::int32_t getBlockSize() noexcept;
    virtual std::int32_t getHostVersion() noexcept;
    virtual std::int32_t getHostCurrentId() noexcept;
    virtual std::int32_t hostIdle() noexcept;
    virtual bool isInputConnected(std::int32_t input) noexcept;
    virtual bool isOutputConnected(std::int32_t output) noexcept;
    virtual void formatDecibels(float value, char* text) noexcept;
    virtual void formatHertz(float samples, char* text) noexcept;
    virtual void formatMilliseconds(float samples, char* text) noexcept;
    virtual void formatFloat(float value, char* text) noexcept;
    virtual void formatInteger(std::int32_t value, char* text) noexcept;

protected:
    virtual ~EffectBase();

    // For derived effects and tests that attach an editor; the effect then owns it.
    void attachEditor(EditorInterface* editor) noexcept { editor_ = editor; }

private:
    void setFlag(std::int32_t bit, bool state) noexcept;
    // Sends a request to the host; without a callback the answer is `noCallbackAnswer`.
    std::int32_t callHost(std::int32_t opcode, std::int32_t index, std::int32_t value,
                          std::int32_t noCallbackAnswer) noexcept;

    float sampleRate_ = 44100.0f;
    EditorInterface* editor_ = nullptr;
    HostCallback hostCallback_;
    std::int32_t numPrograms_;
    std::int32_t numParameters_;
    std::int32_t currentProgram_ = 0;
    std::int32_t blockSize_ = 1024;
    EffectRecord record_;
};

} // namespace sweepfilter
