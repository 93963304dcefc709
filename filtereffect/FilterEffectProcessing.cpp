#include "FilterEffect.h"

#include <algorithm>
#include <cstdint>

#include "ParameterMapping.h"
#include "StereoOutput.h"

namespace sweepfilter
{
namespace
{

bool hasBothChannels(StereoBuffers buffers) noexcept
{
    return buffers && buffers[0] && buffers[1];
}

} // namespace

void FilterEffect::processAccumulate(StereoBuffers inputs, StereoBuffers outputs,
                                     std::int32_t frames) noexcept
{
    if (isBypassing())
        return processBypassing<true>(inputs, outputs, frames);
    process<true>(inputs, outputs, frames);
}

void FilterEffect::processReplace(StereoBuffers inputs, StereoBuffers outputs,
                                  std::int32_t frames) noexcept
{
    if (isBypassing())
        return processBypassing<false>(inputs, outputs, frames);
    process<false>(inputs, outputs, frames);
}

// Per frame, in effect: step the sweep when it is on (every 100 samples the next table value
// becomes the cutoff), filter both channels with the selected algorithm, then add the delayed
// dry pair scaled by the send. The work is done in runs that end where a sweep step falls, so
// no per-frame test remains; each filter processes a whole run with its state in registers
// and mixes the send into each pair as it stores it. A frame's inputs are all read before its
// outputs are written, so outputs may alias inputs (either channel).
template <bool accumulate>
void FilterEffect::process(StereoBuffers inputs, StereoBuffers outputs,
                           std::int32_t frames) noexcept
{
    if (frames <= 0 || !hasBothChannels(inputs) || !hasBothChannels(outputs))
        return;
    jumpFilter_ = false;
    const bool sweepOn = sweepIsOn();
    const bool soft = algorithm_ == Algorithm::soft;
    const float sampleRate = tuning_.sampleRate();

    for (std::int32_t done = 0; done < frames;)
    {
        std::int32_t run = frames - done;
        if (sweepOn)
            run = stepSweep(run);
        // Gliding runs end where a glide does, so the rest of the block runs on the settled
        // settings.
        const bool filterGliding = filterGlide_.isGliding();
        const bool sendGliding = sendGlide_.isGliding();
        const auto endWith = [&run](const auto& glide) {
            if (glide.isGliding())
                run = static_cast<std::int32_t>(
                    std::min<std::uint32_t>(static_cast<std::uint32_t>(run), glide.framesLeft()));
        };
        endWith(filterGlide_);
        endWith(sendGlide_);
        const float send = values_[sendFlangerParameter];
        const bool sendOn = sendGliding || send > 0.0f;

        const float* inLeft = inputs[0] + done;
        const float* inRight = inputs[1] + done;
        float* outLeft = outputs[0] + done;
        float* outRight = outputs[1] + done;
        // With the send on, a run may also end where the delay line moves its history.
        FlangerDelay::Run line{};
        if (sendOn)
        {
            line = delay_->nextRun(run);
            run = line.frames;
        }
        const float f = sweepOn ? sweptHardStage_ : hardStage_;
        const auto filter = [&](const auto& output) {
            if (filterGliding)
            {
                const Glide<2>& glide = filterGlide_;
                if (soft)
                    soft_->processGliding(
                        inLeft, inRight, run,
                        static_cast<std::int32_t>(glide.framesDone() %
                                                  LowpassBiquad::glideHoldFrames),
                        [&](std::int32_t i) {
                            return LowpassBiquad::coefficientsFor(glide.valueAt(0, i),
                                                                  glide.valueAt(1, i), sampleRate);
                        },
                        output);
                else
                    hard_->processGliding(
                        inLeft, inRight, run,
                        [&](std::int32_t i) {
                            return ResonantLowpass::Setting{glide.valueAt(0, i),
                                                            glide.valueAt(1, i)};
                        },
                        output);
            }
            else if (soft)
            {
                soft_->processBlock(inLeft, inRight, run, output);
            }
            else
            {
                hard_->processBlock(inLeft, inRight, run, f, output);
            }
        };
        if (sendGliding)
        {
            const auto sendOf = [this](std::int32_t i) { return sendGlide_.valueAt(0, i); };
            filter(MixOutput<true, accumulate, decltype(sendOf)>{
                outLeft, outRight, inLeft, inRight, line.writeLeft, line.writeRight, line.readLeft,
                line.readRight, sendOf});
            delay_->finishRun(line);
        }
        else if (sendOn)
        {
            filter(MixOutput<true, accumulate>{outLeft, outRight, inLeft, inRight, line.writeLeft,
                                               line.writeRight, line.readLeft, line.readRight,
                                               send});
            delay_->finishRun(line);
        }
        else if (accumulate)
        {
            filter(MixOutput<false, true>{outLeft, outRight});
        }
        else
        {
            filter(StoreOutput{outLeft, outRight});
        }
        if (filterGliding)
        {
            filterGlide_.advance(static_cast<std::uint32_t>(run));
            if (!filterGlide_.isGliding())
                applyToFilter(filterGlide_.target());
        }
        if (sendGliding)
            sendGlide_.advance(static_cast<std::uint32_t>(run));
        if (sweepOn)
            advanceSweep(run);
        timeline_.advance(static_cast<std::uint64_t>(run));
        done += run;
    }
}

template <bool accumulate>
void FilterEffect::processBypassing(StereoBuffers inputs, StereoBuffers outputs,
                                    std::int32_t frames) noexcept
{
    if (frames <= 0 || !hasBothChannels(inputs) || !hasBothChannels(outputs))
        return;
    constexpr std::int32_t chunk = 64;
    std::array<std::array<float, chunk>, 2> dry, wet;
    for (std::int32_t done = 0; done < frames;)
    {
        const std::int32_t n = std::min(chunk, frames - done);
        for (std::size_t c = 0; c < 2; ++c)
            std::copy_n(inputs[c] + done, n, dry[c].data());
        float* dryBuffers[2] = {dry[0].data(), dry[1].data()};
        float* wetBuffers[2] = {wet[0].data(), wet[1].data()};
        process<false>(dryBuffers, wetBuffers, n);

        const auto fading = static_cast<std::int32_t>(
            std::min<std::uint32_t>(static_cast<std::uint32_t>(n), wetGlide_.framesLeft()));
        const float settled = wetGlide_.target()[0];
        for (std::size_t c = 0; c < 2; ++c)
            for (std::int32_t i = 0; i < n; ++i)
            {
                const float share = i < fading ? wetGlide_.valueAt(0, i) : settled;
                const auto k = static_cast<std::size_t>(i);
                float y = share == 1.0f ? wet[c][k]
                          : share == 0.0f
                              ? dry[c][k]
                              : static_cast<float>(double{dry[c][k]} +
                                                   double{share} * (double{wet[c][k]} - dry[c][k]));
                if constexpr (accumulate)
                    y = static_cast<float>(double{y} + outputs[c][done + i]);
                outputs[c][done + i] = y;
            }
        wetGlide_.advance(static_cast<std::uint32_t>(n));
        done += n;
    }
}

void FilterEffect::takeSweepStep(bool jump) noexcept
{
    const std::uint32_t position = table_->position();
    if (prepared_.tuned.position != position)
        prepareStep(position);
    table_->skip();
    const SweepStepTuning::Step& step = prepared_.tuned;
    if (algorithm_ == Algorithm::soft)
    {
        applyPreparedStep(step.softCutoffHz, resonance_, jump);
    }
    else
    {
        sweptNormalisedCutoff_ = step.normalisedCutoff;
        applyPreparedStep(step.hard.stageCoefficient, step.hard.resonance, jump);
        sweptHardStage_ = step.hard.stageCoefficient;
    }
    // The next step's coefficients now, the work for the steps after it beside them.
    const std::uint32_t next = table_->position();
    prepareStep(next);
    steps_.workAhead(next, stepSource());
}

void FilterEffect::prepareStep(std::uint32_t position) noexcept
{
    const SweepStepTuning::Step tuned = steps_.at(position, stepSource());
    prepared_.tuned = tuned;
    if (algorithm_ == Algorithm::soft)
        prepared_.softCoefficients =
            LowpassBiquad::coefficientsFor(tuned.softCutoffHz, resonance_, tuning_.sampleRate());
    else
        prepared_.hardFeedback =
            ResonantLowpass::feedbackFor(tuned.hard.stageCoefficient, tuned.hard.resonance);
}

void FilterEffect::dropPreparedSteps(bool table) noexcept
{
    prepared_.tuned.position = SweepStepTuning::noStep;
    steps_.forget(table);
}

std::int32_t FilterEffect::stepSweep(std::int32_t run) noexcept
{
    if (framesToSweepCheck_ == 0)
        framesToSweepCheck_ = checkSweepStep();
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(run), framesToSweepCheck_));
}

std::uint64_t FilterEffect::checkSweepStep() noexcept
{
    std::uint64_t untilNextStep = 0;
    if (behaviour_ == Behaviour::classic)
    {
        if (table_->isStepDue(sampleCounter_))
            takeSweepStep();
        // End the run just before the next frame on which a step falls.
        untilNextStep = std::uint64_t{table_->samplesUntilStep(sampleCounter_ + 1)} + 1;
    }
    else if (hostDrivesSweep())
    {
        // The entry is a function of the host's position: one cycle of n + 1 entries per
        // Resolution beats, starting on every multiple of it. Between the steps' edges nothing
        // needs working out again.
        const std::uint64_t now = timeline_.framesSinceReport();
        if (hostNextStepFrame_ == noFrame || now >= hostNextStepFrame_)
        {
            const HostTimeline::Step step =
                timeline_.stepAt(static_cast<double>(resolutionNotes_), table_->cycleSteps() + 1);
            if (step.index != hostStep_)
            {
                hostStep_ = step.index;
                table_->seek(step.index);
                takeSweepStep(hostMoved_);
                hostMoved_ = false;
            }
            hostNextStepFrame_ = now + step.framesToNext;
        }
        untilNextStep = hostNextStepFrame_ - now;
    }
    else
    {
        if (grid_.isStepDue())
            takeSweepStep();
        untilNextStep = grid_.framesUntilStep();
    }
    return untilNextStep;
}

void FilterEffect::advanceSweep(std::int32_t frames) noexcept
{
    framesToSweepCheck_ -= static_cast<std::uint64_t>(frames);
    if (behaviour_ == Behaviour::classic)
        sampleCounter_ += static_cast<std::uint32_t>(frames);
    else if (!hostDrivesSweep())
        grid_.advance(static_cast<std::uint64_t>(frames));
}

} // namespace sweepfilter
