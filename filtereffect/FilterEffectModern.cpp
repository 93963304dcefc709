#include "FilterEffect.h"

#include "ParameterMapping.h"

namespace sweepfilter
{

// The Modern behaviour: the host's rate and the host's time.

void FilterEffect::setBehaviour(Behaviour behaviour, float hostSampleRate) noexcept
{
    checkSweepNow();
    // The host's time runs at the host's rate whatever the behaviour.
    if (hostSampleRate != timeline_.sampleRate())
        timeline_ = HostTimeline(hostSampleRate);
    const float rate = behaviour == Behaviour::modern ? hostSampleRate : unitSampleRate_;
    if (behaviour == behaviour_ && rate == tuning_.sampleRate())
        return;
    behaviour_ = behaviour;
    tuning_ = RateTuning(rate);
    // The 2.0 plug-in's 100-sample step, lasting as long in seconds at the host's rate.
    grid_ = StepGrid(100.0 * double{rate} / double{RateTuning::tunedRate});
    hostStep_ = noStep;
    dropPreparedSteps(true);
    jumpFilter_ = true; // the settings about to come are tuned anew
}

void FilterEffect::takeHostTime(const HostTime& time) noexcept
{
    const bool wasDriving = hostDrivesSweep();
    const bool moved = !wasDriving || !timeline_.continues(time);
    const double oldBpm = timeline_.beatsPerMinute();
    if (!timeline_.report(time) || behaviour_ == Behaviour::classic || !hostSync_)
        return;
    hostMoved_ = moved;
    // A new position applies its step at once; a stop lets the sweep run on from there.
    hostStep_ = noStep;
    checkSweepNow();
    if (wasDriving && !hostDrivesSweep())
        grid_.restart();
    if (timeline_.beatsPerMinute() != oldBpm || !wasDriving)
    {
        updateSweepRate();
        rebuildSweep();
    }
}

void FilterEffect::restart() noexcept
{
    setBehaviour(Behaviour::classic, static_cast<float>(timeline_.sampleRate()));
    hostSync_ = false;
    hostMoved_ = false;
    timeline_ = HostTimeline(timeline_.sampleRate());
    grid_.restart();
    *hard_ = ResonantLowpass{};
    table_->restart();
    sampleCounter_ = 0;
    checkSweepNow();
    sweptNormalisedCutoff_ = 0.0f;
    sweptHardStage_ = 0.0f;
    setSmoothing(0.0f);
    wetGlide_.jumpTo({1.0f});
    setProgram(0);
    clearForSuspendOrResume();
}

} // namespace sweepfilter
