#pragma once

#include <cstdint>

#include "FilterEffect.h"
#include "ParameterMapping.h"

namespace sweepfilter
{

// The processing loop written the plain way: every frame asks the sweep whether a step is
// due, calls the units' per-sample operations and mixes the send, in the order the effect's
// behaviour is defined. The effect's block processing must give the same bits.
struct ReferenceProcessing
{
    template <bool accumulate>
    static void process(FilterEffect& e, StereoBuffers inputs, StereoBuffers outputs,
                        std::int32_t frames)
    {
        const bool sweepOn = e.values_[modRangeParameter] > 0.0f;
        const float send = e.values_[sendFlangerParameter];
        for (std::int32_t i = 0; i < frames; ++i)
        {
            const float xL = inputs[0][i], xR = inputs[1][i];
            float yL, yR;
            if (e.algorithm_ == FilterEffect::Algorithm::soft)
            {
                if (sweepOn)
                {
                    if (e.table_->isStepDue(e.sampleCounter_))
                        e.soft_->computeCoefficients(e.table_->nextValue(), e.resonance_,
                                                     e.unitSampleRate_);
                    ++e.sampleCounter_;
                }
                yL = e.soft_->processLeft(xL);
                yR = e.soft_->processRight(xR);
            }
            else
            {
                float f = e.normalisedCutoff_;
                if (sweepOn)
                {
                    if (e.table_->isStepDue(e.sampleCounter_))
                    {
                        e.sweptNormalisedCutoff_ = mapping::normalisedCutoff(e.table_->nextValue());
                        e.hard_->setFeedback(e.sweptNormalisedCutoff_, e.resonance_);
                    }
                    ++e.sampleCounter_;
                    f = e.sweptNormalisedCutoff_;
                }
                yL = e.hard_->processLeft(xL, f);
                yR = e.hard_->processRight(xR, f);
            }
            if (send > 0.0f)
            {
                e.delay_->writeAndRead(xL, xR);
                yL = static_cast<float>(double{e.delay_->delayedLeft()} * send + yL);
                yR = static_cast<float>(double{e.delay_->delayedRight()} * send + yR);
            }
            if constexpr (accumulate)
            {
                outputs[0][i] = static_cast<float>(double{yL} + outputs[0][i]);
                outputs[1][i] = static_cast<float>(double{yR} + outputs[1][i]);
            }
            else
            {
                outputs[0][i] = yL;
                outputs[1][i] = yR;
            }
        }
    }
};

} // namespace sweepfilter
