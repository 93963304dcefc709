#include "FilterEffect.h"

#include <charconv>
#include <cstring>
#include <new>

#include "OutOfMemoryFlag.h"
#include "ParameterMapping.h"
#include "ValueText.h"

namespace sweepfilter
{
namespace
{

constexpr std::int32_t uniqueId = 0x5A463137; // 'ZF17'
constexpr std::int32_t flangerLength = 200;
constexpr std::uint32_t sweepStepInterval = 100;
constexpr std::uint32_t longestSweepSeconds = 96;

// Allocates without throwing; a unit whose own storage could not be obtained counts as
// missing. Either way the module's out-of-memory flag is raised.
template <typename Unit, typename... Arguments>
std::unique_ptr<Unit> createUnit(Arguments... arguments) noexcept
{
    std::unique_ptr<Unit> unit(new (std::nothrow) Unit(arguments...));
    if constexpr (requires { unit->hasStorage(); })
    {
        if (unit && !unit->hasStorage())
            unit.reset();
    }
    if (!unit)
        raiseOutOfMemory();
    return unit;
}

void copyText(const char* source, char* text) noexcept
{
    std::memcpy(text, source, std::strlen(source) + 1);
}

} // namespace

FilterEffect* FilterEffect::createWithoutHost() noexcept
{
    auto* effect = new (std::nothrow) FilterEffect(nullptr);
    if (effect && !effect->isComplete())
    {
        effect->destroy();
        return nullptr;
    }
    return effect;
}

FilterEffect::FilterEffect(HostCallback hostCallback) noexcept
    : EffectBase(hostCallback, ProgramBank::size, parameterCount), unitSampleRate_(getSampleRate()),
      tuning_(unitSampleRate_)
{
    soft_ = createUnit<LowpassBiquad>();
    hard_ = createUnit<ResonantLowpass>();
    delay_ = createUnit<FlangerDelay>(flangerLength);
    table_ = createUnit<ModulationTable>(sweepStepInterval, longestSweepSeconds, unitSampleRate_);
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueId(uniqueId);
    setCanMono(true);
    setCanReplace(true);
    bank_ = createUnit<ProgramBank>();
    wetGlide_.jumpTo({1.0f});
    // Applying program 0 uses every unit; with any part missing the effect is only destroyed.
    if (bank_ && soft_ && hard_ && delay_ && table_)
        setProgram(0);
    clearForSuspendOrResume();
}

FilterEffect::~FilterEffect()
{
    bank_.reset();
    soft_.reset();
    hard_.reset();
    delay_.reset();
    table_.reset();
}

void FilterEffect::setParameter(std::int32_t index, float value) noexcept
{
    if (index < 0 || index >= parameterCount)
        return;
    dropPreparedSteps(false);
    checkSweepNow();
    const std::int32_t program = getProgram();
    if (bank_ && ProgramBank::contains(program))
        (*bank_)[program].values[static_cast<std::size_t>(index)] = value;
    values_[static_cast<std::size_t>(index)] = value;

    switch (index)
    {
    case cutoffParameter:
        cutoffHz_ = mapping::cutoffHz(value);
        normalisedCutoff_ = mapping::normalisedCutoff(cutoffHz_);
        sweepCentreHz_ = cutoffHz_;
        applyCutoffToActiveFilter();
        if (sweepIsOn())
            applyRangeClamp();
        rebuildSweep();
        break;
    case qFactorParameter:
        resonance_ = mapping::resonance(value);
        applyCutoffToActiveFilter();
        break;
    case algorithmParameter:
    {
        const Algorithm chosen =
            mapping::selectsHardAlgorithm(value) ? Algorithm::hard : Algorithm::soft;
        jumpFilter_ = jumpFilter_ || chosen != algorithm_; // the other filter starts at its value
        algorithm_ = chosen;
        applyCutoffToActiveFilter();
        break;
    }
    case modRangeParameter:
        if (value > 0.0f)
        {
            sweepRangeHz_ = mapping::sweepRangeHz(value);
            applyRangeClamp();
            rebuildSweep();
            // The hard filter keeps running at the swept cutoff until the next step: give it
            // the feedback that belongs to that cutoff.
            if (algorithm_ == Algorithm::hard)
                sweptHardStage_ = tuneHard(sweptNormalisedCutoff_);
        }
        else
        {
            applyCutoffToActiveFilter();
        }
        break;
    case tempoParameter:
        updateSweepRate();
        rebuildSweep();
        break;
    case resolutionParameter:
        mapping::resolutionNotes(value, resolutionNotes_);
        updateSweepRate();
        rebuildSweep();
        break;
    case sendFlangerParameter:
        applySend();
        break;
    case flangerDelayParameter:
        delay_->setDelay(mapping::flangerDelaySamples(value));
        break;
    default:
        break;
    }
}

float FilterEffect::getParameter(std::int32_t index) noexcept
{
    if (index < 0 || index >= parameterCount)
        return 0.0f;
    return values_[static_cast<std::size_t>(index)];
}

void FilterEffect::applyCutoffToActiveFilter() noexcept
{
    if (algorithm_ == Algorithm::soft)
        return tuneSoft(cutoffHz_);
    // While the sweep runs, the hard filter is processing at the swept cutoff; a feedback
    // computed for any other cutoff can make it unstable until the next step.
    if (sweepIsOn())
        sweptHardStage_ = tuneHard(sweptNormalisedCutoff_);
    else
        hardStage_ = tuneHard(normalisedCutoff_);
}

void FilterEffect::tuneSoft(float cutoffHz) noexcept
{
    applyFilterSetting(tuning_.softCutoffHz(cutoffHz), resonance_);
}

float FilterEffect::tuneHard(float normalisedCutoff) noexcept
{
    const RateTuning::HardSetting setting = tuning_.hard(normalisedCutoff, resonance_);
    applyFilterSetting(setting.stageCoefficient, setting.resonance);
    return setting.stageCoefficient;
}

void FilterEffect::applyRangeClamp() noexcept
{
    const float limit = static_cast<float>(double{cutoffHz_} - 100.0);
    if (sweepRangeHz_ >= limit)
        sweepRangeHz_ = limit;
}

void FilterEffect::updateSweepRate() noexcept
{
    const bool hostTempo = behaviour_ == Behaviour::modern && hostSync_ && timeline_.isKnown();
    const float bpm = hostTempo ? static_cast<float>(timeline_.beatsPerMinute())
                                : mapping::tempoBpm(values_[tempoParameter]);
    sweepRateHz_ = mapping::sweepRateHz(bpm, resolutionNotes_);
}

void FilterEffect::rebuildSweep() noexcept
{
    dropPreparedSteps(true);
    checkSweepNow(); // the steps' edges move with the cycle's length
    if (behaviour_ == Behaviour::classic)
        table_->rebuild(sweepRangeHz_, sweepRateHz_, sweepCentreHz_);
    else
        table_->retune(sweepRangeHz_, sweepRateHz_, sweepCentreHz_);
}

void FilterEffect::setProgram(std::int32_t program) noexcept
{
    if (!ProgramBank::contains(program) || !bank_)
        return;
    EffectBase::setProgram(program);
    // Program 0 always returns to the defaults, discarding edits made to it.
    ParameterValues programValues = defaultParameterValues;
    if (program == 0)
        values_ = defaultParameterValues;
    else
        programValues = (*bank_)[program].values;
    for (std::int32_t k = 0; k < parameterCount; ++k)
        setParameter(k, programValues[static_cast<std::size_t>(k)]);
}

void FilterEffect::setProgramName(char* name) noexcept
{
    // A longer name is cut to what the program holds.
    char* target = (*bank_)[getProgram()].name;
    const std::size_t length = strnlen(name, EffectProgram::nameCapacity - 1);
    std::memcpy(target, name, length);
    target[length] = '\0';
}

void FilterEffect::getProgramName(char* name) noexcept
{
    copyText("--- Default ---", (*bank_)[0].name);
    const std::int32_t program = getProgram();
    const char* stored = (*bank_)[program].name;
    if (std::strcmp(stored, "Init") != 0)
        return copyText(stored, name);
    // "Init" shows with the program's index: "Init 5".
    copyText("Init ", name);
    char* end = std::to_chars(name + 5, name + 8, program).ptr;
    *end = '\0';
}

void FilterEffect::getParameterLabel(std::int32_t index, char* label) noexcept
{
    if (index >= 0 && index < parameterCount)
        copyText(parameterLabels[static_cast<std::size_t>(index)], label);
}

void FilterEffect::getParameterName(std::int32_t index, char* text) noexcept
{
    if (index >= 0 && index < parameterCount)
        copyText(parameterNames[static_cast<std::size_t>(index)], text);
}

void FilterEffect::getParameterDisplay(std::int32_t index, char* text) noexcept
{
    const float value = getParameter(index);
    switch (index)
    {
    case cutoffParameter:
        return writeWholeNumberText(mapping::cutoffHz(value), text);
    case qFactorParameter:
        return formatFloat(resonance_, text);
    case algorithmParameter:
        return copyText(algorithm_ == Algorithm::soft ? "soft" : "hard", text);
    case modRangeParameter:
        if (value == 0.0f)
            return copyText("off", text);
        return writeWholeNumberText(mapping::sweepRangeHz(value), text);
    case tempoParameter:
        return writeWholeNumberText(mapping::tempoBpm(value), text);
    case resolutionParameter:
        return writeWholeNumberText(static_cast<float>(resolutionNotes_), text);
    case sendFlangerParameter:
    case flangerDelayParameter:
        return writeWholeNumberText(mapping::percent(value), text);
    default:
        return; // the buffer stays untouched
    }
}

void FilterEffect::suspend() noexcept
{
    clearForSuspendOrResume();
}

void FilterEffect::resume() noexcept
{
    clearForSuspendOrResume();
}

// The soft filter and the delay line start from silence; the hard filter, the sweep position
// and the sample counter run on.
void FilterEffect::clearForSuspendOrResume() noexcept
{
    if (delay_)
        delay_->clear();
    if (soft_)
        soft_->reset();
}

} // namespace sweepfilter
