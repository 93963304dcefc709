#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <atomic>
#include <cstring>
#include <thread>

#include "ClapTestSupport.h"
#include "Controls.h"

namespace sweepfilter::test
{
namespace
{

using namespace clap;

std::vector<double> valuesOf(const ClapInstance& instance)
{
    std::vector<double> values;
    for (const clap_param_info& info : instance.parameters())
        values.push_back(*instance.value(info.id));
    return values;
}

void setAll(std::size_t frame, ClapEventList& list)
{
    if (frame != 0)
        return;
    const std::pair<Control, double> settings[] = {
        {Control::cutoffHz, 1234.5},  {Control::qFactor, 0.81},      {Control::algorithm, 1.0},
        {Control::modRangeHz, 700.0}, {Control::tempoBpm, 133.0},    {Control::resolution, 3.0},
        {Control::sendPercent, 12.0}, {Control::delaySamples, 17.0}, {Control::smoothingMs, 20.0}};
    for (auto [control, value] : settings)
        list.addParameter(0, idOf(control), value);
}

// Saved, then loaded into a new instance (in writes and reads of any size, while inactive or
// active), the state gives the same values and the same sound.
TEST(ClapState, SavedStateRestoresValuesAndSound)
{
    const StereoSignal signal = clapTestSignal(8000, 48000.0f);
    ClapInstance original(clapModule());
    original.activate(48000.0);
    const StereoSignal expected = renderClap(original, signal, 256, setAll);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{5}, SIZE_MAX})
    {
        const auto saved = original.saveState(chunk);
        ASSERT_TRUE(saved);
        for (bool activeWhileLoading : {false, true})
        {
            ClapInstance copy(clapModule());
            if (activeWhileLoading)
                copy.activate(48000.0);
            ASSERT_TRUE(copy.loadState(*saved, chunk));
            EXPECT_EQ(valuesOf(copy), valuesOf(original));
            if (!activeWhileLoading)
                copy.activate(48000.0);
            EXPECT_TRUE(sameBits(renderClap(copy, signal, 256), expected)) << chunk;
            EXPECT_TRUE(copy.complaints().empty());
        }
        EXPECT_EQ(*saved, *original.saveState());
    }
}

// A state loaded on the main thread while the audio thread processes reaches the audio
// thread by the next block (the thread sanitizer watches the hand-over).
TEST(ClapState, LoadingWhileProcessingReachesTheAudioThread)
{
    ClapInstance source(clapModule());
    ClapEventList settings;
    setAll(0, settings);
    source.flush(settings);
    const auto saved = source.saveState();
    ASSERT_TRUE(saved);

    ClapInstance instance(clapModule());
    instance.activate(44100.0);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        const StereoSignal signal = clapTestSignal(256);
        StereoSignal out(256);
        const float* in[2] = {signal.left.data(), signal.right.data()};
        float* const outs[2] = {out.left.data(), out.right.data()};
        while (!stop)
            instance.process(in, outs, 256);
    });
    EXPECT_TRUE(instance.loadState(*saved));
    EXPECT_EQ(valuesOf(instance), valuesOf(source));
    stop = true;
    audio.join();
    EXPECT_GE(instance.flushRequests(), 1);
    EXPECT_TRUE(instance.complaints().empty());

    // What plays now is the loaded state.
    ClapInstance fresh(clapModule());
    fresh.flush(settings);
    fresh.activate(44100.0);
    instance.reset();
    const StereoSignal signal = clapTestSignal(3000);
    EXPECT_TRUE(sameBits(renderClap(instance, signal, 256), renderClap(fresh, signal, 256)));
}

// Anything but a saved state is refused and leaves the values alone: every truncation, every
// flipped bit, a byte too many, a failing stream, and well-formed states of another version or
// size or with values no parameter can hold.
TEST(ClapState, AnythingElseIsRefused)
{
    ClapInstance source(clapModule());
    source.activate(44100.0);
    renderClap(source, clapTestSignal(64), 64, setAll);
    const std::vector<std::uint8_t> saved = *source.saveState();
    ASSERT_EQ(saved.size(), 64u);

    // The same layout with its checksum (CRC-32) made to match.
    const auto resealed = [](std::vector<std::uint8_t> bytes) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = 0; i + 4 < bytes.size(); ++i)
        {
            crc ^= bytes[i];
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc = ~crc;
        std::memcpy(bytes.data() + bytes.size() - 4, &crc, 4);
        return bytes;
    };
    const auto withValue = [&](Control control, float value) {
        auto bytes = saved;
        std::memcpy(bytes.data() + 12 + 4 * static_cast<int>(control), &value, 4);
        return resealed(bytes);
    };
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> bad;
    for (std::size_t length = 0; length < saved.size(); ++length)
        bad.emplace_back(
            "cut to " + std::to_string(length),
            std::vector<std::uint8_t>(saved.begin(), saved.begin() + static_cast<long>(length)));
    for (std::size_t bit = 0; bit < saved.size() * 8; ++bit)
    {
        auto flipped = saved;
        flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        bad.emplace_back("bit " + std::to_string(bit), flipped);
    }
    auto longer = saved;
    longer.push_back(0);
    bad.emplace_back("a byte more", longer);
    auto version2 = saved;
    version2[4] = 2;
    bad.emplace_back("version 2", resealed(version2));
    auto count11 = saved;
    count11[8] = 11;
    bad.emplace_back("11 values", resealed(count11));
    bad.emplace_back("NaN", withValue(Control::qFactor, std::nanf("")));
    bad.emplace_back("out of range", withValue(Control::cutoffHz, 50.0f));
    bad.emplace_back("between steps", withValue(Control::resolution, 9.0f));

    ClapInstance target(clapModule());
    const auto before = valuesOf(target);
    for (const auto& [what, bytes] : bad)
    {
        EXPECT_FALSE(target.loadState(bytes)) << what;
        EXPECT_FALSE(target.loadState(bytes, 1)) << what;
    }
    EXPECT_FALSE(target.loadState(saved, SIZE_MAX, true)) << "a stream that fails at its end";
    EXPECT_EQ(valuesOf(target), before);
    EXPECT_TRUE(target.loadState(resealed(saved)));
}

} // namespace
} // namespace sweepfilter::test
