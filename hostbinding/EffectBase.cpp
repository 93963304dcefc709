#include "EffectBase.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "RecordEntries.h"
#include "SaturatingTruncation.h"
#include "ValueText.h"

namespace sweepfilter
{
namespace
{

void writeEmptyText(char* text) noexcept
{
    text[0] = '\0';
}

// level * 32767 truncated toward zero; NaN gives 0 and the result saturates to 32 bits.
std::int32_t meterAnswer(float level) noexcept
{
    return truncateSaturating<std::int32_t>(double{level} * 32767.0,
                                            std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max(), 0);
}

} // namespace

EffectBase::EffectBase(HostCallback hostCallback, std::int32_t numPrograms,
                       std::int32_t numParameters) noexcept
    : hostCallback_(hostCallback), numPrograms_(numPrograms), numParameters_(numParameters)
{
    std::memset(&record_, 0, sizeof record_);
    record_.dispatch = recordDispatch;
    record_.processAccumulate = recordProcessAccumulate;
    record_.setParameter = recordSetParameter;
    record_.getParameter = recordGetParameter;
    record_.numPrograms = numPrograms;
    record_.numParameters = numParameters;
    record_.numInputs = 1;
    record_.numOutputs = 2;
    record_.ioRatio = 1.0f;
    record_.object = this;
    record_.uniqueId = 0x4E6F4566; // 'NoEf'
    record_.version = 1;
    record_.processReplace = recordProcessReplace;
    // Written last: a record with the magic is complete.
    record_.magic = effectMagic;
}

EffectBase::~EffectBase()
{
    if (editor_)
        editor_->destroy();
}

void EffectBase::destroy() noexcept
{
    delete this;
}

void EffectBase::setParameter(std::int32_t, float) noexcept {}

float EffectBase::getParameter(std::int32_t) noexcept
{
    return 0.0f;
}

void EffectBase::setParameterAndNotifyHost(std::int32_t index, float value) noexcept
{
    setParameter(index, value);
    if (hostCallback_)
        hostCallback_(&record_, hostopcode::parameterChanged, index, 0, nullptr, value);
}

void EffectBase::processReplace(StereoBuffers, StereoBuffers, std::int32_t) noexcept {}

std::int32_t EffectBase::dispatch(std::int32_t op, std::int32_t index, std::int32_t value,
                                  void* pointer, float option) noexcept
{
    char* const text = static_cast<char*>(pointer);
    switch (op)
    {
    case opcode::open:
        open();
        return 0;
    case opcode::close:
        close();
        return 0;
    case opcode::setProgram:
        if (value >= 0 && value < numPrograms_)
            setProgram(value);
        return 0;
    case opcode::getProgram:
        return getProgram();
    // A null text buffer is ignored rather than written through.
    case opcode::setProgramName:
        if (text)
            setProgramName(text);
        return 0;
    case opcode::getProgramName:
        if (text)
            getProgramName(text);
        return 0;
    case opcode::getParameterLabel:
        if (text)
            getParameterLabel(index, text);
        return 0;
    case opcode::getParameterDisplay:
        if (text)
            getParameterDisplay(index, text);
        return 0;
    case opcode::getParameterName:
        if (text)
            getParameterName(index, text);
        return 0;
    case opcode::getMeterLevel:
        return meterAnswer(getMeterLevel());
    case opcode::setSampleRate:
        setSampleRate(option);
        return 0;
    case opcode::setBlockSize:
        setBlockSize(value);
        return 0;
    case opcode::suspendResume:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case opcode::editorRect:
        return editor_ ? editor_->editorRect(pointer) : 0;
    case opcode::editorOpen:
        return editor_ ? editor_->editorOpen(pointer) : 0;
    case opcode::editorClose:
        if (editor_)
            editor_->editorClose();
        return 0;
    case opcode::editorIdle:
        if (editor_)
            editor_->editorIdle();
        return 0;
    case opcode::identify:
        return identifyAnswer;
    case opcode::getStateBlock:
        return getStateBlock(pointer, index != 0);
    case opcode::setStateBlock:
        return setStateBlock(pointer, value, index != 0);
    default:
        return 0;
    }
}

void EffectBase::open() noexcept {}
void EffectBase::close() noexcept {}

std::int32_t EffectBase::getProgram() noexcept
{
    return currentProgram_;
}

void EffectBase::setProgram(std::int32_t program) noexcept
{
    currentProgram_ = program;
}

void EffectBase::setProgramName(char* name) noexcept
{
    writeEmptyText(name);
}

void EffectBase::getProgramName(char* name) noexcept
{
    writeEmptyText(name);
}

void EffectBase::getParameterLabel(std::int32_t, char* label) noexcept
{
    writeEmptyText(label);
}

void EffectBase::getParameterDisplay(std::int32_t, char* text) noexcept
{
    writeEmptyText(text);
}

void EffectBase::getParameterName(std::int32_t, char* text) noexcept
{
    writeEmptyText(text);
}

float EffectBase::getMeterLevel() noexcept
{
    return 0.0f;
}

std::int32_t EffectBase::getStateBlock(void*, bool) noexcept
{
    return 0;
}

std::int32_t EffectBase::setStateBlock(void*, std::int32_t, bool) noexcept
{
    return 0;
}

void EffectBase::setSampleRate(float sampleRate) noexcept
{
    sampleRate_ = sampleRate;
}

void EffectBase::setBlockSize(std::int32_t blockSize) noexcept
{
    blockSize_ = blockSize;
}

void EffectBase::suspend() noexcept {}
void EffectBase::resume() noexcept {}

void EffectBase::setUniqueId(std::int32_t id) noexcept
{
    record_.uniqueId = id;
}

void EffectBase::setNumInputs(std::int32_t inputs) noexcept
{
    record_.numInputs = inputs;
}

void EffectBase::setNumOutputs(std::int32_t outputs) noexcept
{
    record_.numOutputs = outputs;
}

void EffectBase::setHasMeter(bool state) noexcept
{
    setFlag(effectflag::hasMeter, state);
}

void EffectBase::setHasClip(bool state) noexcept
{
    setFlag(effectflag::hasClip, state);
}

void EffectBase::setCanMono(bool state) noexcept
{
    setFlag(effectflag::canMono, state);
}

void EffectBase::setCanReplace(bool state) noexcept
{
    setFlag(effectflag::canReplace, state);
}

void EffectBase::setProgramsAreStateBlocks(bool state) noexcept
{
    setFlag(effectflag::programsAreStateBlocks, state);
}

void EffectBase::setRealtimeQualities(std::int32_t qualities) noexcept
{
    record_.realtimeQualities = qualities;
}

void EffectBase::setOfflineQualities(std::int32_t qualities) noexcept
{
    record_.offlineQualities = qualities;
}

void EffectBase::setInitialDelay(std::int32_t delay) noexcept
{
    record_.initialDelay = delay;
}

float EffectBase::getSampleRate() noexcept
{
    return sampleRate_;
}

std::int32_t EffectBase::getBlockSize() noexcept
{
    return blockSize_;
}

std::int32_t EffectBase::getHostVersion() noexcept
{
    const std::int32_t version = callHost(hostopcode::version, 0, 0, 1);
    return version == 0 ? 1 : version;
}

std::int32_t EffectBase::getHostCurrentId() noexcept
{
    return callHost(hostopcode::currentId, 0, 0, 0);
}

std::int32_t EffectBase::hostIdle() noexcept
{
    return callHost(hostopcode::idle, 0, 0, 0);
}

bool EffectBase::isInputConnected(std::int32_t input) noexcept
{
    return callHost(hostopcode::pinConnected, input, 0, 0) == 0;
}

bool EffectBase::isOutputConnected(std::int32_t output) noexcept
{
    return callHost(hostopcode::pinConnected, output, 1, 0) == 0;
}

void EffectBase::setFlag(std::int32_t bit, bool state) noexcept
{
    record_.flags = state ? (record_.flags | bit) : (record_.flags & ~bit);
}

std::int32_t EffectBase::callHost(std::int32_t op, std::int32_t index, std::int32_t value,
                                  std::int32_t noCallbackAnswer) noexcept
{
    if (!hostCallback_)
        return noCallbackAnswer;
    return static_cast<std::int32_t>(hostCallback_(&record_, op, index, value, nullptr, 0.0f));
}

void EffectBase::formatDecibels(float value, char* text) noexcept
{
    if (!(value > 0.0f))
    {
        std::memcpy(text, minusInfinityText, sizeof minusInfinityText);
        return;
    }
    formatFloat(static_cast<float>(20.0 * std::log10(double{value})), text);
}

void EffectBase::formatHertz(float samples, char* text) noexcept
{
    const double rate = getSampleRate();
    formatFloat(samples == 0.0f ? 0.0f : static_cast<float>(rate / samples), text);
}

void EffectBase::formatMilliseconds(float samples, char* text) noexcept
{
    const double rate = getSampleRate();
    formatFloat(static_cast<float>((double{samples} * 1000.0) / rate), text);
}

void EffectBase::formatFloat(float value, char* text) noexcept
{
    writeNumberText(value, text);
}

void EffectBase::formatInteger(std::int32_t value, char* text) noexcept
{
    writeIntegerText(value, text);
}

} // namespace sweepfilter
