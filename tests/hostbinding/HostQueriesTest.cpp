#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "RecordingEffect.h"
#include "RecordingHostCallback.h"

namespace sweepfilter::test
{
namespace
{

using RecordingHost = RecordingHostCallback;

struct HostQueriesTest : ::testing::Test
{
    EffectLog log;
    RecordingEffect* effect = new RecordingEffect(log, &RecordingHost::callback);
    EffectLog silentLog;
    RecordingEffect* withoutHost = new RecordingEffect(silentLog, nullptr);

    HostQueriesTest()
    {
        RecordingHost::requests.clear();
        RecordingHost::versionAnswer = 2400;
        RecordingHost::answer = 0;
    }
    ~HostQueriesTest() override
    {
        effect->destroy();
        withoutHost->destroy();
    }

    void expectLastCall(std::int32_t opcode, std::int32_t index, std::intptr_t value)
    {
        ASSERT_EQ(RecordingHost::requests.size(), 1u);
        const HostRequest& call = RecordingHost::requests.back();
        EXPECT_EQ(call.record, effect->getEffectRecord());
        EXPECT_EQ(call.opcode, opcode);
        EXPECT_EQ(call.index, index);
        EXPECT_EQ(call.value, value);
        EXPECT_EQ(call.pointer, nullptr);
        EXPECT_EQ(call.option, 0.0f);
        RecordingHost::requests.clear();
    }
};

TEST_F(HostQueriesTest, VersionAnswerZeroMeansOne)
{
    for (auto [answer, version] : {std::pair{0, 1}, {2400, 2400}, {-5, -5}})
    {
        RecordingHost::versionAnswer = answer;
        EXPECT_EQ(effect->getHostVersion(), version);
        expectLastCall(1, 0, 0);
    }
    EXPECT_EQ(withoutHost->getHostVersion(), 1);
}

TEST_F(HostQueriesTest, CurrentIdAndIdlePassTheAnswerThrough)
{
    RecordingHost::answer = 42;
    EXPECT_EQ(effect->getHostCurrentId(), 42);
    expectLastCall(2, 0, 0);
    EXPECT_EQ(effect->hostIdle(), 42);
    expectLastCall(3, 0, 0);
    EXPECT_EQ(withoutHost->getHostCurrentId(), 0);
    EXPECT_EQ(withoutHost->hostIdle(), 0);
}

TEST_F(HostQueriesTest, PinsAreConnectedWhenTheHostAnswersZero)
{
    RecordingHost::answer = 0;
    EXPECT_TRUE(effect->isInputConnected(1));
    expectLastCall(4, 1, 0);
    EXPECT_TRUE(effect->isOutputConnected(0));
    expectLastCall(4, 0, 1);
    RecordingHost::answer = 1;
    EXPECT_FALSE(effect->isInputConnected(0));
    expectLastCall(4, 0, 0);
    RecordingHost::answer = -1;
    EXPECT_FALSE(effect->isOutputConnected(1));
    expectLastCall(4, 1, 1);
    EXPECT_TRUE(withoutHost->isInputConnected(0));
    EXPECT_TRUE(withoutHost->isOutputConnected(0));
}

TEST_F(HostQueriesTest, NotifyingSetsTheParameterThenTellsTheHost)
{
    effect->setParameterAndNotifyHost(3, 0.25f);
    EXPECT_EQ(log.calls.back(), "setParameter");
    EXPECT_EQ(log.lastFloat, 0.25f);
    ASSERT_EQ(RecordingHost::requests.size(), 1u);
    const HostRequest& call = RecordingHost::requests.back();
    EXPECT_EQ(call.opcode, hostopcode::parameterChanged);
    EXPECT_EQ(call.index, 3);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.pointer, nullptr);
    EXPECT_EQ(call.option, 0.25f);

    withoutHost->setParameterAndNotifyHost(1, 0.5f);
    EXPECT_EQ(silentLog.calls.back(), "setParameter");
}

} // namespace
} // namespace sweepfilter::test
