#include "FilterEffect.h"

#include "ParameterMapping.h"

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
    process<true>(inputs, outputs, frames);
}

void FilterEffect::processReplace(StereoBuffers inputs, StereoBuffers outputs,
                                  std::int32_t frames) noexcept
{
    process<false>(inputs, outputs, frames);
}

// Per frame: step the sweep when it is on (every 100 samples the next table value becomes the
// cutoff), filter both channels with the selected algorithm, then add the delayed dry pair
// scaled by the send. Both inputs of a frame are read before either output is written, so
// outputs may alias inputs.
template <bool accumulate>
void FilterEffect::process(StereoBuffers inputs, StereoBuffers outputs,
                           std::int32_t frames) noexcept
{
    if (frames <= 0 || !hasBothChannels(inputs) || !hasBothChannels(outputs))
        return;
    const float* inLeft = inputs[0];
    const float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];
    const bool sweepOn = sweepIsOn();
    const float send = values_[sendFlangerParameter];
    const bool soft = algorithm_ == Algorithm::soft;

    for (std::int32_t i = 0; i < frames; ++i)
    {
        const float xL = inLeft[i];
        const float xR = inRight[i];
        float yL, yR;
        if (soft)
        {
            if (sweepOn)
            {
                if (table_->isStepDue(sampleCounter_))
                    soft_->computeCoefficients(table_->nextValue(), resonance_, unitSampleRate_);
                ++sampleCounter_;
            }
            yL = soft_->processLeft(xL);
            yR = soft_->processRight(xR);
        }
        else
        {
            float f = normalisedCutoff_;
            if (sweepOn)
            {
                if (table_->isStepDue(sampleCounter_))
                {
                    sweptNormalisedCutoff_ = mapping::normalisedCutoff(table_->nextValue());
                    hard_->setFeedback(sweptNormalisedCutoff_, resonance_);
                }
                ++sampleCounter_;
                f = sweptNormalisedCutoff_;
            }
            yL = hard_->processLeft(xL, f);
            yR = hard_->processRight(xR, f);
        }
        if (send > 0.0f)
        {
            delay_->writeAndRead(xL, xR);
            yL = static_cast<float>(double{delay_->delayedLeft()} * send + yL);
            yR = static_cast<float>(double{delay_->delayedRight()} * send + yR);
        }
        if constexpr (accumulate)
        {
            outLeft[i] = static_cast<float>(double{yL} + outLeft[i]);
            outRight[i] = static_cast<float>(double{yR} + outRight[i]);
        }
        else
        {
            outLeft[i] = yL;
            outRight[i] = yR;
        }
    }
}

} // namespace sweepfilter
