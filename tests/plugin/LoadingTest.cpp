#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "PluginHost.h"
#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

#if !defined(_WIN32)
std::set<std::string> definedDynamicSymbols(const std::string& path)
{
    const std::string command = std::string(SWEEPFILTER_NM) + " -D --defined-only " + path;
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe))
    {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            symbols.insert(name);
    }
    EXPECT_EQ(pipe ? pclose(pipe) : -1, 0);
    return symbols;
}

TEST(Loading, TheLibraryExportsOnlyMain)
{
    EXPECT_EQ(definedDynamicSymbols(SWEEPFILTER_PLUGIN_PATH), std::set<std::string>{"main"});
}
#endif

TEST(Loading, MainAsksTheHostForItsVersionFirst)
{
    PluginLibrary library;
    for (std::intptr_t answer : {0, 1, 2400})
    {
        RecordingHostCallback::requests.clear();
        RecordingHostCallback::versionAnswer = answer;
        EffectRecord* record = library.callMain();
        ASSERT_EQ(RecordingHostCallback::requests.size(), 1u);
        const HostRequest& request = RecordingHostCallback::requests[0];
        EXPECT_EQ(request.record, nullptr);
        EXPECT_EQ(request.opcode, hostopcode::version);
        EXPECT_EQ(request.index, 0);
        EXPECT_EQ(request.value, 0);
        EXPECT_EQ(request.pointer, nullptr);
        EXPECT_EQ(request.option, 0.0f);
        // A host that answers 0 refuses, and gets no effect.
        EXPECT_EQ(record == nullptr, answer == 0);
        if (record)
        {
            EXPECT_EQ(record->magic, 0x56737450);
            EXPECT_NE(record->object, nullptr);
            EXPECT_EQ(record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f), 1);
        }
    }
    RecordingHostCallback::versionAnswer = 2400;
    EXPECT_EQ(library.callMain(nullptr), nullptr);
}

TEST(Loading, EffectsAreIndependent)
{
    PluginLibrary library;
    auto first = std::make_unique<HostedEffect>(library);
    HostedEffect second(library);
    HostedEffect reference(library);
    EXPECT_NE(&first->record(), &second.record());
    EXPECT_NE(first->record().object, second.record().object);

    first->setParameter(0, 0.2f);
    second.setParameter(0, 0.6f);
    reference.setParameter(0, 0.6f);
    EXPECT_EQ(first->getParameter(0), 0.2f);
    EXPECT_EQ(second.getParameter(0), 0.6f);
    EXPECT_EQ(first->close(), 1);
    first.reset();

    // The survivor still works, exactly like an effect that never had a neighbour.
    StereoSignal a(noise(1000, 1), noise(1000, 2)), b = a;
    second.processReplace(a.buffers(), a.buffers(), 1000);
    reference.processReplace(b.buffers(), b.buffers(), 1000);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(second.parameterDisplay(0), "3905");
}

} // namespace
} // namespace sweepfilter::test
