#pragma once

#include <cstdint>
#include <memory>

#include "EffectBase.h"
#include "FlangerDelay.h"
#include "LowpassBiquad.h"
#include "ModulationTable.h"
#include "Parameters.h"
#include "ProgramBank.h"
#include "ResonantLowpass.h"

namespace sweepfilter
{

// The plug-in's effect: a soft or hard low-pass whose cutoff a tempo-synced sine can sweep in
// steps of 100 samples, plus a send of the delayed dry signal. Every parameter change
// reconfigures the affected unit at once; processing runs the units sample by sample.
// Parameter changes and processing of one effect must not overlap (the host's duty).
class FilterEffect final : public EffectBase
{
public:
    enum class Algorithm : std::int32_t
    {
        none = 0, // only until construction has applied program 0
        soft = 1,
        hard = 2
    };

    explicit FilterEffect(HostCallback hostCallback) noexcept;

    void setParameter(std::int32_t index, float value) noexcept override;
    float getParameter(std::int32_t index) noexcept override;
    void processAccumulate(StereoBuffers inputs, StereoBuffers outputs,
                           std::int32_t frames) noexcept override;
    void processReplace(StereoBuffers inputs, StereoBuffers outputs,
                        std::int32_t frames) noexcept override;
    void setProgram(std::int32_t program) noexcept override;
    void setProgramName(char* name) noexcept override;
    void getProgramName(char* name) noexcept override;
    void getParameterLabel(std::int32_t index, char* label) noexcept override;
    void getParameterDisplay(std::int32_t index, char* text) noexcept override;
    void getParameterName(std::int32_t index, char* text) noexcept override;
    void suspend() noexcept override;
    void resume() noexcept override;

    // Derived settings, for inspection.
    float cutoffHz() const noexcept { return cutoffHz_; }
    float normalisedCutoff() const noexcept { return normalisedCutoff_; }
    float sweptNormalisedCutoff() const noexcept { return sweptNormalisedCutoff_; }
    float resonance() const noexcept { return resonance_; }
    float sweepRangeHz() const noexcept { return sweepRangeHz_; }
    float sweepRateHz() const noexcept { return sweepRateHz_; }
    std::uint32_t resolutionNotes() const noexcept { return resolutionNotes_; }
    Algorithm algorithm() const noexcept { return algorithm_; }
    std::uint32_t sampleCounter() const noexcept { return sampleCounter_; }
    const FlangerDelay& flangerDelay() const noexcept { return *delay_; }
    const ModulationTable& modulationTable() const noexcept { return *table_; }

private:
    // The tests' straightforward per-sample loop, which the block processing must equal.
    friend struct ReferenceProcessing;

    ~FilterEffect() override;

    bool sweepIsOn() const noexcept { return values_[modRangeParameter] > 0.0f; }
    void applyCutoffToActiveFilter() noexcept;
    void applyRangeClamp() noexcept;
    void updateSweepRate() noexcept;
    void rebuildSweep() noexcept;
    void clearForSuspendOrResume() noexcept;
    template <bool accumulate>
    void process(StereoBuffers inputs, StereoBuffers outputs, std::int32_t frames) noexcept;

    std::unique_ptr<LowpassBiquad> soft_;
    std::unique_ptr<ResonantLowpass> hard_;
    std::unique_ptr<FlangerDelay> delay_;
    std::unique_ptr<ModulationTable> table_;
    std::unique_ptr<ProgramBank> bank_;
    ParameterValues values_{};

    float unitSampleRate_; // captured once: the filters and the sweep keep this rate
    float cutoffHz_ = 0.0f;
    float normalisedCutoff_ = 0.0f;
    float resonance_ = 0.0f;
    float sweptNormalisedCutoff_ = 0.0f;
    float sweepRangeHz_ = 0.0f;
    float sweepRateHz_ = 0.0f;
    float sweepCentreHz_ = 0.0f;
    std::uint32_t resolutionNotes_ = 0;
    Algorithm algorithm_ = Algorithm::none;
    std::uint32_t sampleCounter_ = 0;
};

} // namespace sweepfilter
