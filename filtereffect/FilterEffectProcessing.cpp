#include "FilterEffect.h"

#include <algorithm>

#include "ParameterMapping.h"

namespace sweepfilter
{
namespace
{

bool hasBothChannels(StereoBuffers buffers) noexcept
{
    return buffers && buffers[0] && buffers[1];
}

// Frames handled in one run of the block forms; bounds the scratch space on the stack.
constexpr std::int32_t runFrames = 256;

} // namespace

void FilterEffect::processAccumulate(StereoBuffers inputs, StereoBuffers outputs,
                                     std::int32_t frames) noexcept
{
    process<true>(inputs, outputs, frames);
}

void FilterEffect::processReplace(StereoBuffers inputs, StereoBuffers outputs,
                                  std::int32_t frames) noexcept
{
    process<false>(inputs, outputs, frames);
}

// Per frame, in effect: step the sweep when it is on (every 100 samples the next table value
// becomes the cutoff), filter both channels with the selected algorithm, then add the delayed
// dry pair scaled by the send. The work is done in runs that end where a sweep step falls, so
// no per-frame test remains, and each unit processes a whole run with its state in registers.
// The dry input goes into the delay line before the filter writes anything, so outputs may
// alias inputs.
template <bool accumulate>
void FilterEffect::process(StereoBuffers inputs, StereoBuffers outputs,
                           std::int32_t frames) noexcept
{
    if (frames <= 0 || !hasBothChannels(inputs) || !hasBothChannels(outputs))
        return;
    const bool sweepOn = sweepIsOn();
    const float send = values_[sendFlangerParameter];
    const bool sendOn = send > 0.0f;
    const bool soft = algorithm_ == Algorithm::soft;
    // The filter writes straight into the outputs unless something is still to be mixed in.
    const bool mixing = sendOn || accumulate;

    float delayedLeft[runFrames], delayedRight[runFrames];
    float filteredLeft[runFrames], filteredRight[runFrames];

    for (std::int32_t done = 0; done < frames;)
    {
        std::int32_t run = std::min(frames - done, runFrames);
        if (sweepOn)
        {
            if (table_->samplesUntilStep(sampleCounter_) == 0 && table_->isStepDue(sampleCounter_))
            {
                const float cutoff = table_->nextValue();
                if (soft)
                {
                    soft_->computeCoefficients(cutoff, resonance_, unitSampleRate_);
                }
                else
                {
                    sweptNormalisedCutoff_ = mapping::normalisedCutoff(cutoff);
                    hard_->setFeedback(sweptNormalisedCutoff_, resonance_);
                }
            }
            // End the run just before the next frame on which a step falls.
            const std::uint64_t untilNextStep =
                std::uint64_t{table_->samplesUntilStep(sampleCounter_ + 1)} + 1;
            run = static_cast<std::int32_t>(std::min<std::uint64_t>(
                static_cast<std::uint64_t>(run), untilNextStep));
        }

        const float* inLeft = inputs[0] + done;
        const float* inRight = inputs[1] + done;
        float* outLeft = outputs[0] + done;
        float* outRight = outputs[1] + done;
        if (sendOn)
            delay_->writeAndReadBlock(inLeft, inRight, delayedLeft, delayedRight, run);
        float* filteredL = mixing ? filteredLeft : outLeft;
        float* filteredR = mixing ? filteredRight : outRight;
        if (soft)
            soft_->processBlock(inLeft, inRight, filteredL, filteredR, run);
        else
            hard_->processBlock(inLeft, inRight, filteredL, filteredR, run,
                                sweepOn ? sweptNormalisedCutoff_ : normalisedCutoff_);

        if (mixing)
        {
            for (std::int32_t i = 0; i < run; ++i)
            {
                float yL = filteredLeft[i], yR = filteredRight[i];
                if (sendOn)
                {
                    yL = static_cast<float>(double{delayedLeft[i]} * send + yL);
                    yR = static_cast<float>(double{delayedRight[i]} * send + yR);
                }
                if constexpr (accumulate)
                {
                    yL = static_cast<float>(double{yL} + outLeft[i]);
                    yR = static_cast<float>(double{yR} + outRight[i]);
                }
                outLeft[i] = yL;
                outRight[i] = yR;
            }
        }
        if (sweepOn)
            sampleCounter_ += static_cast<std::uint32_t>(run);
        done += run;
    }
}

} // namespace sweepfilter
