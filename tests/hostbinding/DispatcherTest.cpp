#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "RecordEntries.h"
#include "RecordingEffect.h"

namespace sweepfilter::test
{
namespace
{

using Calls = std::vector<std::string>;

struct DispatcherTest : ::testing::Test
{
    EffectLog log;
    RecordingEffect* effect = new RecordingEffect(log);
    char text[64] = "untouched";

    std::int32_t dispatch(std::int32_t op, std::int32_t index = 0, std::int32_t value = 0,
                          void* pointer = nullptr, float option = 0.0f)
    {
        return effect->dispatch(op, index, value, pointer, option);
    }
    ~DispatcherTest() override
    {
        if (!log.destroyed)
            effect->destroy();
    }
};

TEST_F(DispatcherTest, AnswersEveryOpcodeOfAFreshEffect)
{
    struct Case
    {
        std::int32_t op;
        std::int32_t answer;
        Calls calls;
    };
    const Case cases[] = {
        {opcode::open, 0, {"open"}},
        {opcode::close, 0, {"close"}},
        {opcode::setProgram, 0, {"setProgram"}},
        {opcode::getProgram, 0, {}},
        {opcode::setProgramName, 0, {"setProgramName"}},
        {opcode::getProgramName, 0, {"getProgramName"}},
        {opcode::getParameterLabel, 0, {"getParameterLabel"}},
        {opcode::getParameterDisplay, 0, {"getParameterDisplay"}},
        {opcode::getParameterName, 0, {"getParameterName"}},
        {opcode::getMeterLevel, 0, {}},
        {opcode::setSampleRate, 0, {}},
        {opcode::setBlockSize, 0, {}},
        {opcode::suspendResume, 0, {"suspend"}},
        {opcode::editorRect, 0, {}},
        {opcode::editorOpen, 0, {}},
        {opcode::editorClose, 0, {}},
        {16, 0, {}},
        {17, 0, {}},
        {18, 0, {}}, // not handled
        {opcode::editorIdle, 0, {}},
        {20, 0, {}},
        {21, 0, {}},
        {opcode::identify, 0x4E764566, {}}, // 'NvEf'
        {opcode::getStateBlock, 0, {"getStateBlock(bank)"}},
        {opcode::setStateBlock, 0, {"setStateBlock(bank)"}},
        {25, 0, {}},
        {-1, 0, {}},
        {1000, 0, {}},
        {std::numeric_limits<std::int32_t>::min(), 0, {}},
        {std::numeric_limits<std::int32_t>::max(), 0, {}},
    };
    for (const auto& c : cases)
    {
        log.calls.clear();
        EXPECT_EQ(dispatch(c.op, 0, 0, text), c.answer) << "opcode " << c.op;
        EXPECT_EQ(log.calls, c.calls) << "opcode " << c.op;
    }
}

TEST_F(DispatcherTest, SelectsOnlyExistingPrograms)
{
    for (std::int32_t program : {15, 16, -1, 3, 1000, std::numeric_limits<std::int32_t>::min()})
    {
        const std::int32_t before = dispatch(opcode::getProgram);
        EXPECT_EQ(dispatch(opcode::setProgram, 0, program), 0);
        const bool valid = program >= 0 && program < 16;
        EXPECT_EQ(dispatch(opcode::getProgram), valid ? program : before) << program;
    }
}

TEST_F(DispatcherTest, SuspendOrResumeByValue)
{
    for (std::int32_t value : {0, 1, -1, 2, 0})
    {
        log.calls.clear();
        dispatch(opcode::suspendResume, 0, value);
        EXPECT_EQ(log.calls, Calls{value == 0 ? "suspend" : "resume"}) << value;
    }
}

TEST_F(DispatcherTest, SampleRateComesFromTheFloatAndBlockSizeFromTheValue)
{
    EXPECT_EQ(effect->getSampleRate(), 44100.0f);
    EXPECT_EQ(effect->getBlockSize(), 1024);
    dispatch(opcode::setSampleRate, 7, 96000, nullptr, 48000.0f);
    EXPECT_EQ(effect->getSampleRate(), 48000.0f);
    dispatch(opcode::setBlockSize, 0, 256, nullptr, 3.0f);
    EXPECT_EQ(effect->getBlockSize(), 256);
    EXPECT_EQ(effect->getSampleRate(), 48000.0f);
}

TEST_F(DispatcherTest, MeterLevelIsScaledAndTruncated)
{
    const std::pair<float, std::int32_t> cases[] = {
        {1.0f, 32767},
        {0.5f, 16383},
        {0.0f, 0},
        {-1.0f, -32767},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), std::numeric_limits<std::int32_t>::max()},
        {-1.0e30f, std::numeric_limits<std::int32_t>::min()},
    };
    for (auto [level, answer] : cases)
    {
        effect->meterLevel = level;
        EXPECT_EQ(dispatch(opcode::getMeterLevel), answer) << level;
    }
}

TEST_F(DispatcherTest, TextOpcodesPassIndexAndBufferAndIgnoreNull)
{
    for (std::int32_t op = opcode::setProgramName; op <= opcode::getParameterName; ++op)
    {
        log.calls.clear();
        EXPECT_EQ(dispatch(op, 5, 0, nullptr), 0);
        EXPECT_TRUE(log.calls.empty()) << op;
        EXPECT_EQ(dispatch(op, 5, 0, text), 0);
        ASSERT_EQ(log.calls.size(), 1u);
        EXPECT_EQ(log.lastPointer, text);
        if (op >= opcode::getParameterLabel)
        {
            EXPECT_EQ(log.lastIndex, 5) << op;
        }
    }
}

TEST_F(DispatcherTest, StateBlocksPassPointerSizeAndScope)
{
    effect->stateBlockAnswer = 77;
    int block = 0;
    EXPECT_EQ(dispatch(opcode::getStateBlock, 1, 0, &block), 77);
    EXPECT_EQ(log.calls.back(), "getStateBlock(program)");
    EXPECT_EQ(log.lastPointer, &block);
    EXPECT_EQ(dispatch(opcode::setStateBlock, 0, 123, nullptr), 77);
    EXPECT_EQ(log.calls.back(), "setStateBlock(bank)");
    EXPECT_EQ(log.lastValue, 123);
    EXPECT_EQ(log.lastPointer, nullptr);
}

struct RecordingEditor final : EditorInterface
{
    Calls& calls;
    explicit RecordingEditor(Calls& c) : calls(c) {}
    void destroy() override
    {
        calls.emplace_back("editor destroy");
        delete this;
    }
    std::int32_t editorRect(void*) override { return calls.emplace_back("rect"), 11; }
    std::int32_t editorOpen(void*) override { return calls.emplace_back("open"), 12; }
    void editorClose() override { calls.emplace_back("close"); }
    void editorIdle() override { calls.emplace_back("idle"); }
};

TEST_F(DispatcherTest, EditorOpcodesReachOnlyAnAttachedEditor)
{
    for (std::int32_t op :
         {opcode::editorRect, opcode::editorOpen, opcode::editorClose, opcode::editorIdle})
        EXPECT_EQ(dispatch(op, 0, 0, text), 0) << op;
    EXPECT_TRUE(log.calls.empty());
    EXPECT_STREQ(text, "untouched");

    Calls editorCalls;
    effect->attachEditor(new RecordingEditor(editorCalls));
    EXPECT_EQ(dispatch(opcode::editorRect, 0, 0, text), 11);
    EXPECT_EQ(dispatch(opcode::editorOpen, 0, 0, text), 12);
    EXPECT_EQ(dispatch(opcode::editorClose), 0);
    EXPECT_EQ(dispatch(opcode::editorIdle), 0);
    effect->destroy();
    EXPECT_EQ(editorCalls, (Calls{"rect", "open", "close", "idle", "editor destroy"}));
}

TEST_F(DispatcherTest, BaseTextOperationsWriteEmptyText)
{
    struct PlainEffect final : EffectBase
    {
        PlainEffect() : EffectBase(nullptr, 1, 1) {}
        void processAccumulate(StereoBuffers, StereoBuffers, std::int32_t) noexcept override {}
    };
    auto* plain = new PlainEffect;
    for (std::int32_t op = opcode::setProgramName; op <= opcode::getParameterName; ++op)
    {
        char buffer[16] = "something";
        plain->dispatch(op, 0, 0, buffer, 0.0f);
        EXPECT_STREQ(buffer, "") << op;
    }
    EXPECT_EQ(plain->getParameter(3), 0.0f);
    plain->destroy();
}

} // namespace
} // namespace sweepfilter::test
