#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace sweepfilter::test
{
namespace
{

// Every input the fuzzer keeps in its corpus runs through the fuzzer's target again, which
// checks its invariants after every action and aborts when one breaks: a regression on a known
// input fails the ordinary test run, whatever the compiler and configuration.
TEST(FuzzCorpus, EveryKnownInputKeepsTheInvariants)
{
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(SWEEPFILTER_FUZZ_CORPUS))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), static_cast<std::size_t>(SWEEPFILTER_FUZZ_SEEDS));
    for (const auto& path : inputs)
    {
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
        // Named before it runs, so that an abort says which input it was.
        std::fprintf(stderr, "replaying %s\n", path.filename().c_str());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << path;
    }
}

} // namespace
} // namespace sweepfilter::test
