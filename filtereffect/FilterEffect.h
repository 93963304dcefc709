#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "EffectBase.h"
#include "FlangerDelay.h"
#include "Glide.h"
#include "HostTimeline.h"
#include "LowpassBiquad.h"
#include "ModulationTable.h"
#include "Parameters.h"
#include "ProgramBank.h"
#include "RateTuning.h"
#include "ResonantLowpass.h"
#include "StepGrid.h"
#include "SweepStepTuning.h"

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

    // How the effect meets the host. Classic is the 2.0 plug-in: units tuned for 44.1 kHz at
    // every rate, a sweep stepping every 100 samples that restarts at every change. Modern
    // keeps the units true at the host's rate (the filters' responses and the sweep's timing
    // in seconds), keeps the sweep's phase across changes and lets the host's musical time
    // drive the sweep. At 44.1 kHz, with no change while processing and no host time, the
    // two give the same bits.
    enum class Behaviour
    {
        classic,
        modern
    };

    explicit FilterEffect(HostCallback hostCallback) noexcept;

    // False when construction could not obtain every unit; such an effect is only destroyed.
    bool isComplete() const noexcept { return soft_ && hard_ && delay_ && table_ && bank_; }
    // A complete effect with no 2.0 host behind it, or null when memory runs out (checked for
    // this effect alone, so one failure leaves later creations unaffected). End it with
    // destroy().
    static FilterEffect* createWithoutHost() noexcept;

    // Takes effect for the settings applied after it: set it, then apply every parameter.
    void setBehaviour(Behaviour behaviour, float hostSampleRate) noexcept;
    // Modern only: the host's time, once reported, drives the sweep while it rolls.
    void setHostSync(bool on) noexcept
    {
        hostSync_ = on;
        checkSweepNow();
    }
    // Applies from the next processed frame on; see HostTimeline::report.
    void reportHostTime(const HostTime& time) noexcept
    {
        // Hosts that report on every block mostly report what the timeline already knows.
        if (!timeline_.agrees(time))
            takeHostTime(time);
    }
    // Everything as a new effect has it: both filters, the delay line, the sweep, counters,
    // program 0, Classic, no host time, no smoothing and enabled.
    void restart() noexcept;

    // Smoothing: from now on Cutoff, Q Factor, Send Flanger and the sweep's steps reach each
    // new value along a straight line of this many milliseconds at the host's rate, from
    // wherever they stand (0 to 200; 0, as in a new effect, applies each value at once, as
    // the 2.0 plug-in does; NaN leaves the time as it was). Algorithm, Resolution and Flanger
    // Delay change at once. Every frame of a glide runs with settings between the old and new
    // ones, each a filter that is stable on its own.
    void setSmoothing(float milliseconds) noexcept;
    // Off: the output crossfades to the input over a few milliseconds (or at once, without
    // `crossfade`) and then is the input. The effect keeps running on the input meanwhile, so
    // switching back crossfades between two running signals and does not click either.
    void setEnabled(bool on, bool crossfade = true) noexcept;

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
    void tuneSoft(float cutoffHz) noexcept;
    // Every setting a filter gets passes here: soft, its tuned corner in Hz; hard, its stage
    // coefficient; each with its resonance. With smoothing, it becomes the target of a glide.
    void applyFilterSetting(float first, float resonance) noexcept;
    void applyToFilter(const Glide<2>::Values& setting) noexcept;
    // applyFilterSetting for the prepared step, whose coefficients are worked out already.
    void applyPreparedStep(float first, float resonance, bool jump) noexcept;
    // With smoothing, starts a glide to the setting (true when one runs); otherwise, or to
    // `jump`, the glide stands at the setting and the caller applies it.
    bool glidesTo(float first, float resonance, bool jump = false) noexcept;
    void applySend() noexcept;
    // Off, or fading between on and off.
    bool isBypassing() const noexcept
    {
        return wetGlide_.isGliding() || wetGlide_.target()[0] != 1.0f;
    }
    template <bool accumulate>
    void processBypassing(StereoBuffers inputs, StereoBuffers outputs,
                          std::int32_t frames) noexcept;
    float tuneHard(float normalisedCutoff) noexcept; // returns the stage coefficient
    // Takes the step that reads the table's current entry, whose coefficients were worked out
    // a step ahead (from the tuned settings of steps_, worked out further ahead).
    // `jump`: the step's setting applies at once, even with smoothing.
    void takeSweepStep(bool jump = false) noexcept;
    void prepareStep(std::uint32_t position) noexcept;
    SweepStepTuning::Source stepSource() const noexcept
    {
        return {*table_, tuning_, algorithm_ == Algorithm::hard, resonance_};
    }
    // What the steps depend on changed: the resonance, the algorithm or the tuning, and with
    // `table` the table's entries too.
    void dropPreparedSteps(bool table) noexcept;
    bool hostDrivesSweep() const noexcept
    {
        return behaviour_ == Behaviour::modern && hostSync_ && timeline_.isRolling();
    }
    void takeHostTime(const HostTime& time) noexcept;
    // Takes a sweep step when one falls on the current frame; returns `run` limited so that
    // it ends before the next step. Between steps it only counts down to the next one.
    std::int32_t stepSweep(std::int32_t run) noexcept;
    // Takes the step due on the current frame, if any; returns the frames to the next one.
    std::uint64_t checkSweepStep() noexcept;
    // Whatever may move the next step asks for a check on the next processed frame; the host's
    // next step is then found anew.
    void checkSweepNow() noexcept
    {
        framesToSweepCheck_ = 0;
        hostNextStepFrame_ = noFrame;
    }
    void advanceSweep(std::int32_t frames) noexcept;
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

    Behaviour behaviour_ = Behaviour::classic;
    RateTuning tuning_;
    float hardStage_ = 0.0f;      // the hard filter's stage coefficient, tuned
    float sweptHardStage_ = 0.0f; // the same for the swept cutoff
    StepGrid grid_;               // Modern's free-running steps
    HostTimeline timeline_;
    bool hostSync_ = false;
    static constexpr std::uint32_t noStep = 0xFFFFFFFFu;
    std::uint32_t hostStep_ = noStep; // the entry the host's position last applied
    // The host has just started driving the sweep, or moved: its next step applies at once,
    // so that nothing from before carries into the host's time.
    bool hostMoved_ = false;
    SweepStepTuning steps_;
    struct PreparedStep
    {
        SweepStepTuning::Step tuned;
        LowpassBiquad::Coefficients softCoefficients;
        float hardFeedback = 0.0f;
    };
    PreparedStep prepared_;

    Glide<2> filterGlide_; // the active filter's setting, always; it glides with smoothing
    Glide<1> sendGlide_;
    Glide<1> wetGlide_; // 1 enabled, 0 bypassed
    bool smoothing_ = false;
    bool jumpFilter_ = false; // filter settings apply at once until the next processing
    static constexpr std::uint64_t noFrame = ~std::uint64_t{0};
    std::uint64_t hostNextStepFrame_ = noFrame; // counted like the timeline's frames
    std::uint64_t framesToSweepCheck_ = 0;
};

} // namespace sweepfilter
