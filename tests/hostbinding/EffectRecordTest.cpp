#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "RecordEntries.h"
#include "RecordingEffect.h"

namespace sweepfilter::test
{
namespace
{

struct EffectRecordTest : ::testing::Test
{
    EffectLog log;
    RecordingEffect* effect = new RecordingEffect(log);
    EffectRecord* record = effect->getEffectRecord();

    ~EffectRecordTest() override
    {
        if (!log.destroyed)
            effect->destroy();
    }
};

bool allZero(const void* begin, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(begin);
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

TEST_F(EffectRecordTest, HoldsTheBaseValuesAfterConstruction)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    EXPECT_EQ(bytes[0], 0x50);
    EXPECT_EQ(bytes[1], 0x74);
    EXPECT_EQ(bytes[2], 0x73);
    EXPECT_EQ(bytes[3], 0x56);
    EXPECT_EQ(record->dispatch, &recordDispatch);
    EXPECT_EQ(record->processAccumulate, &recordProcessAccumulate);
    EXPECT_EQ(record->setParameter, &recordSetParameter);
    EXPECT_EQ(record->getParameter, &recordGetParameter);
    EXPECT_EQ(record->processReplace, &recordProcessReplace);
    EXPECT_EQ(record->numPrograms, 16);
    EXPECT_EQ(record->numParameters, 8);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->realtimeQualities, 0);
    EXPECT_EQ(record->offlineQualities, 0);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(record->ioRatio), 0x3F800000u);
    EXPECT_EQ(record->object, static_cast<EffectBase*>(effect));
    EXPECT_EQ(record->user, nullptr);
    EXPECT_EQ(record->uniqueId, 0x4E6F4566);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->reserved1, 0);
    EXPECT_EQ(record->reserved2, 0);
    // The reserved area and, with 8-byte pointers, the padding after the magic and the flags.
    EXPECT_TRUE(allZero(&record->reservedSlot,
                        sizeof(EffectRecord) - offsetof(EffectRecord, reservedSlot)));
    EXPECT_TRUE(allZero(bytes + 4, offsetof(EffectRecord, dispatch) - 4));
    EXPECT_TRUE(allZero(bytes + offsetof(EffectRecord, flags) + 4,
                        offsetof(EffectRecord, reserved1) - offsetof(EffectRecord, flags) - 4));
}

TEST_F(EffectRecordTest, SettersWriteTheirFieldsAndFlagSettersKeepOtherBits)
{
    effect->setNumInputs(2);
    effect->setNumOutputs(2);
    effect->setUniqueId(0x5A463137);
    effect->setInitialDelay(12);
    effect->setRealtimeQualities(3);
    effect->setOfflineQualities(4);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->uniqueId, 0x5A463137);
    EXPECT_EQ(record->initialDelay, 12);
    EXPECT_EQ(record->realtimeQualities, 3);
    EXPECT_EQ(record->offlineQualities, 4);

    struct Step
    {
        void (EffectBase::*setter)(bool) noexcept;
        bool state;
        std::int32_t flags;
    };
    const Step steps[] = {
        {&EffectBase::setCanMono, true, 8},   {&EffectBase::setCanReplace, true, 24},
        {&EffectBase::setHasMeter, true, 28}, {&EffectBase::setHasMeter, false, 24},
        {&EffectBase::setHasClip, true, 26},  {&EffectBase::setProgramsAreStateBlocks, true, 58},
        {&EffectBase::setCanMono, false, 50}, {&EffectBase::setHasClip, false, 48},
        {&EffectBase::setHasClip, false, 48}, {&EffectBase::setProgramsAreStateBlocks, false, 16},
    };
    for (const auto& step : steps)
    {
        (effect->*step.setter)(step.state);
        EXPECT_EQ(record->flags, step.flags);
    }
}

TEST_F(EffectRecordTest, EntriesForwardArgumentsAndResultsUnchanged)
{
    const float payloadNaN = std::bit_cast<float>(0x7FC12345u);
    record->setParameter(record, 6, payloadNaN);
    EXPECT_EQ(log.calls.back(), "setParameter");
    EXPECT_EQ(log.lastIndex, 6);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(log.lastFloat), 0x7FC12345u);

    effect->parameterToReturn = std::bit_cast<float>(0x00000001u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(record->getParameter(record, -3)), 1u);
    EXPECT_EQ(log.lastIndex, -3);

    float left[4] = {}, right[4] = {};
    float* channels[2] = {left, right};
    record->processReplace(record, channels, channels + 0, 4);
    EXPECT_EQ(log.calls.back(), "processReplace");
    EXPECT_EQ(log.lastInputs, channels);
    EXPECT_EQ(log.lastFrames, 4);
    record->processAccumulate(record, nullptr, channels, -1);
    EXPECT_EQ(log.calls.back(), "processAccumulate");
    EXPECT_EQ(log.lastInputs, nullptr);
    EXPECT_EQ(log.lastOutputs, channels);
    EXPECT_EQ(log.lastFrames, -1);

    char text[16];
    EXPECT_EQ(record->dispatch(record, opcode::getParameterDisplay, 7, 0, text, 0.0f), 0);
    EXPECT_EQ(log.lastPointer, text);
    EXPECT_EQ(log.lastIndex, 7);
    // A pointer-width value reaches the effect as its low 32 bits.
    const auto wide = static_cast<std::intptr_t>(sizeof(std::intptr_t) == 8 ? 0x100000003LL : 3);
    record->dispatch(record, opcode::setProgram, 0, wide, nullptr, 0.0f);
    EXPECT_EQ(record->dispatch(record, opcode::getProgram, 0, 0, nullptr, 0.0f), 3);
    EXPECT_EQ(record->dispatch(record, opcode::identify, 0, 0, nullptr, 0.0f), 0x4E764566);
}

TEST_F(EffectRecordTest, CloseRunsCloseThenDestroysAndAnswersOne)
{
    EXPECT_EQ(record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f), 1);
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.back(), "close");
    EXPECT_TRUE(log.destroyed);
}

TEST(RecordEntries, NullRecordsAreIgnored)
{
    EXPECT_EQ(recordDispatch(nullptr, opcode::identify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(recordGetParameter(nullptr, 0), 0.0f);
    recordSetParameter(nullptr, 0, 1.0f);
    recordProcessReplace(nullptr, nullptr, nullptr, 16);
    recordProcessAccumulate(nullptr, nullptr, nullptr, 16);
    EffectRecord empty{};
    EXPECT_EQ(recordDispatch(&empty, opcode::close, 0, 0, nullptr, 0.0f), 0);
}

} // namespace
} // namespace sweepfilter::test
