#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "TestSignals.h"

namespace sweepfilter::test
{
namespace
{

constexpr std::uint32_t controlPorts = 8, firstControl = 4;

// The bundle's library, loaded as an LV2 host loads it.
class BundleLibrary
{
public:
    BundleLibrary() : handle_(dlopen(SWEEPFILTER_LV2_LIBRARY, RTLD_NOW | RTLD_LOCAL))
    {
        if (handle_)
            entry_ = reinterpret_cast<const LV2_Descriptor* (*)(std::uint32_t)>(
                dlsym(handle_, "lv2_descriptor"));
    }
    ~BundleLibrary()
    {
        if (handle_)
            dlclose(handle_);
    }
    BundleLibrary(const BundleLibrary&) = delete;
    BundleLibrary& operator=(const BundleLibrary&) = delete;

    const LV2_Descriptor* descriptor(std::uint32_t index) const
    {
        return entry_ ? entry_(index) : nullptr;
    }

private:
    void* handle_;
    const LV2_Descriptor* (*entry_)(std::uint32_t) = nullptr;
};

// One instance with its ports: the defaults on the control ports, a signal on the inputs.
struct Instance
{
    const LV2_Descriptor* descriptor;
    LV2_Handle handle;
    std::array<float, controlPorts> controls = {20000.0f, 0.7425f, 0.0f, 0.0f,
                                                120.0f,   64.0f,   0.0f, 40.0f};
    std::vector<float> inLeft, inRight, outLeft, outRight;

    Instance(const LV2_Descriptor* d, double rate, std::size_t frames)
        : descriptor(d), handle(d->instantiate(d, rate, "", nullptr)), inLeft(chord(frames)),
          inRight(noise(frames, 7)), outLeft(frames), outRight(frames)
    {
        if (!handle)
            return;
        d->connect_port(handle, 0, inLeft.data());
        d->connect_port(handle, 1, inRight.data());
        d->connect_port(handle, 2, outLeft.data());
        d->connect_port(handle, 3, outRight.data());
        for (std::uint32_t k = 0; k < controlPorts; ++k)
            d->connect_port(handle, firstControl + k, &controls[k]);
        d->activate(handle);
    }
    ~Instance()
    {
        if (handle)
        {
            if (descriptor->deactivate)
                descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
    }

    // Runs the whole signal in blocks of `block` frames, moving the audio ports along. In
    // place, the outputs start as copies of the inputs and serve as both.
    void runInBlocks(std::size_t block, bool inPlace = false)
    {
        if (inPlace)
        {
            outLeft = inLeft;
            outRight = inRight;
        }
        float* left = inPlace ? outLeft.data() : inLeft.data();
        float* right = inPlace ? outRight.data() : inRight.data();
        for (std::size_t done = 0; done < inLeft.size(); done += block)
        {
            const std::size_t frames = std::min(block, inLeft.size() - done);
            descriptor->connect_port(handle, 0, left + done);
            descriptor->connect_port(handle, 1, right + done);
            descriptor->connect_port(handle, 2, outLeft.data() + done);
            descriptor->connect_port(handle, 3, outRight.data() + done);
            descriptor->run(handle, static_cast<std::uint32_t>(frames));
        }
    }
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Lv2Instance, TheLibraryDescribesOnePlugin)
{
    BundleLibrary library;
    const LV2_Descriptor* descriptor = library.descriptor(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->URI, "urn:sweepfilter:lv2");
    EXPECT_EQ(library.descriptor(1), nullptr);
    EXPECT_EQ(descriptor->extension_data("urn:anything"), nullptr);
}

// Any host rate works, and the effect keeps its own tuning: the output does not depend on it.
TEST(Lv2Instance, EveryRateGivesTheSameOutput)
{
    BundleLibrary library;
    std::vector<float> first;
    for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0})
    {
        Instance instance(library.descriptor(0), rate, 4096);
        ASSERT_NE(instance.handle, nullptr) << rate;
        instance.controls[3] = 1500.0f; // sweep on
        instance.runInBlocks(512);
        if (first.empty())
            first = instance.outLeft;
        EXPECT_TRUE(sameBits(instance.outLeft, first)) << rate;
    }
}

// Hosts hand every port on every block: a value that did not change is not applied again
// (which would restart the sweep), so many short runs equal one long one.
TEST(Lv2Instance, UnchangedPortsAreNotAppliedAgain)
{
    BundleLibrary library;
    Instance whole(library.descriptor(0), 44100.0, 20000),
        pieces(library.descriptor(0), 44100.0, 20000);
    for (Instance* instance : {&whole, &pieces})
        instance->controls = {2000.0f, 0.9f, 1.0f, 1200.0f, 200.0f, 1.0f, 30.0f, 25.0f};
    whole.runInBlocks(20000);
    for (std::size_t block : {1u, 37u, 64u})
    {
        Instance split(library.descriptor(0), 44100.0, 20000);
        split.controls = whole.controls;
        split.runInBlocks(block);
        EXPECT_TRUE(sameBits(split.outLeft, whole.outLeft)) << block;
        EXPECT_TRUE(sameBits(split.outRight, whole.outRight)) << block;
    }
    // NaN leaves a parameter as it was: the same output as without the NaN.
    pieces.controls[0] = std::numeric_limits<float>::quiet_NaN();
    pieces.runInBlocks(64);
    EXPECT_FALSE(sameBits(pieces.outLeft, whole.outLeft)); // the cutoff stayed at 20 kHz
    Instance defaults(library.descriptor(0), 44100.0, 20000);
    defaults.controls = pieces.controls;
    defaults.controls[0] = 20000.0f;
    defaults.runInBlocks(64);
    EXPECT_TRUE(sameBits(pieces.outLeft, defaults.outLeft));
}

// Input and output may be the same buffers.
TEST(Lv2Instance, InPlaceBuffersGiveTheSameOutput)
{
    BundleLibrary library;
    Instance separate(library.descriptor(0), 44100.0, 8192),
        inPlace(library.descriptor(0), 44100.0, 8192);
    for (Instance* instance : {&separate, &inPlace})
        instance->controls = {3000.0f, 0.8f, 0.0f, 900.0f, 140.0f, 2.0f, 50.0f, 12.0f};
    separate.runInBlocks(256);
    inPlace.runInBlocks(256, true);
    EXPECT_TRUE(sameBits(inPlace.outLeft, separate.outLeft));
    EXPECT_TRUE(sameBits(inPlace.outRight, separate.outRight));
}

// Ports left unconnected and empty runs change nothing and do not crash.
TEST(Lv2Instance, MissingPortsAndEmptyRunsAreHarmless)
{
    BundleLibrary library;
    const LV2_Descriptor* d = library.descriptor(0);
    LV2_Handle handle = d->instantiate(d, 48000.0, "", nullptr);
    ASSERT_NE(handle, nullptr);
    d->activate(handle);
    d->run(handle, 256); // nothing connected at all
    std::vector<float> in = noise(256, 3), out(256, 0.5f);
    d->connect_port(handle, 0, in.data());
    d->connect_port(handle, 2, out.data());
    d->connect_port(handle, 3, nullptr);
    d->connect_port(handle, 99, in.data()); // no such port
    d->run(handle, 256);
    d->run(handle, 0);
    EXPECT_EQ(out, std::vector<float>(256, 0.5f));
    d->cleanup(handle);
}

} // namespace
} // namespace sweepfilter::test
