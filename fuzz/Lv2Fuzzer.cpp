// Drives the LV2 instance as a host could, with actions decoded from the fuzzer's bytes:
// instantiation at any rate with or without urid:map, any control value (NaN, infinities,
// out of range), any block size, activation, ports left unconnected or shared, and any bytes
// on the atom port, from well-formed time:Position objects with fuzzed values to truncated,
// oversized and nested atoms. Checks after every run: nothing written outside the block, and
// finite input gives finite output.

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "Lv2Instance.h"

using sweepfilter::lv2::Lv2Instance;

namespace
{

// The URIs a host maps, by their place in this list (from 1).
const char* const uris[] = {
    LV2_ATOM__Sequence,    LV2_ATOM__frameTime,      LV2_ATOM__Object, LV2_ATOM__Blank,
    LV2_ATOM__Float,       LV2_ATOM__Double,         LV2_ATOM__Int,    LV2_ATOM__Long,
    LV2_TIME__Position,    LV2_TIME__beat,           LV2_TIME__bar,    LV2_TIME__barBeat,
    LV2_TIME__beatsPerBar, LV2_TIME__beatsPerMinute, LV2_TIME__speed,  LV2_ATOM__Tuple};
constexpr LV2_URID uridCount = sizeof uris / sizeof uris[0];

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri)
{
    for (LV2_URID i = 0; i < uridCount; ++i)
        if (std::strcmp(uris[i], uri) == 0)
            return i + 1;
    return uridCount + 1; // everything else, alike
}

LV2_URID_Map map{nullptr, mapUri};
const LV2_Feature mapFeature{LV2_URID__map, &map};

constexpr std::uint32_t maxFrames = 4096, tail = 16;
constexpr float untouched = 1234.5f;
constexpr std::size_t atomBytes = 2048;

// Writes an atom sequence for the control port: a header with a fuzzed (but honest) size,
// then events whose contents come from the fuzzer, mostly shaped like time:Position objects.
void writeSequence(ByteReader& in, std::vector<std::uint8_t>& buffer)
{
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    std::size_t at = sizeof(LV2_Atom_Sequence);
    const auto put = [&](const void* bytes, std::size_t size) {
        if (at + size <= buffer.size())
            std::memcpy(buffer.data() + at, bytes, size);
        at += size;
    };
    const auto word = [&](std::uint32_t value) { put(&value, sizeof value); };
    const int events = in.byte() % 6;
    for (int e = 0; e < events && at < buffer.size(); ++e)
    {
        const std::int64_t frame = static_cast<std::int32_t>(in.word()) % 5000;
        put(&frame, sizeof frame);
        const std::uint8_t shape = in.byte();
        if (shape < 200)
        {
            // An object: declared size possibly wrong, type Object or Blank (or other).
            const std::size_t sizeAt = at;
            word(0);
            word(shape % 7 == 0 ? in.byte() % (uridCount + 2) : 3 + (shape & 1));
            const std::size_t bodyStart = at;
            word(0);                                                 // id
            word(shape % 11 == 0 ? in.byte() % (uridCount + 2) : 9); // otype
            const int properties = in.byte() % 8;
            for (int p = 0; p < properties; ++p)
            {
                word(10 + in.byte() % 7); // key, mostly time: properties
                word(0);                  // context
                const std::uint8_t type = in.byte();
                // Float, Double, Int, Long, or a nested Object or Tuple where a number belongs.
                const std::uint32_t types[] = {5, 6, 7, 8, 3, 16};
                const std::uint32_t sizes[] = {4, 8, 4, 8, 16, 16};
                const std::uint32_t valueType = types[type % 6];
                const std::uint32_t valueSize = type >= 240 ? in.word() % 64 : sizes[type % 6];
                word(valueSize);
                word(valueType);
                const std::uint64_t value = in.word() | std::uint64_t{in.word()} << 32;
                put(&value, std::min<std::size_t>(valueSize, 8));
                for (std::uint32_t pad = std::min<std::uint32_t>(valueSize, 8); pad % 8; ++pad)
                    put("", 1);
            }
            std::uint32_t bodySize = static_cast<std::uint32_t>(at - bodyStart);
            if (in.byte() < 20)
                bodySize = in.word(); // a lie: truncated or oversized
            if (sizeAt + 4 <= buffer.size())
                std::memcpy(buffer.data() + sizeAt, &bodySize, 4);
        }
        else
        {
            // Raw bytes under a raw header.
            word(in.word() % 256);
            word(in.byte() % (uridCount + 2));
            for (int i = in.byte() % 32; i > 0; --i)
                put(&shape, 1);
            while (at % 8)
                put("", 1);
        }
    }
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
    const std::size_t written = std::min(at, buffer.size()) - sizeof(LV2_Atom);
    sequence->atom.size = static_cast<std::uint32_t>(
        in.byte() < 30 ? in.word() % (buffer.size() - sizeof(LV2_Atom) + 1) : written);
    sequence->atom.type = in.byte() < 10 ? in.byte() % (uridCount + 2) : 1;
    sequence->body.unit = in.byte() < 10 ? in.byte() % (uridCount + 2) : 0;
    sequence->body.pad = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const double rates[] = {22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 1000.0, 1.0e6};
    const std::uint8_t rateChoice = in.byte();
    const double rate = rateChoice < 200 ? rates[rateChoice % 7] : in.doubleBits();
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    Lv2Instance* instance = Lv2Instance::create(rate, in.byte() & 1 ? features : nullptr);
    if (!instance)
    {
        check(!(rate >= Lv2Instance::lowestRate && rate <= Lv2Instance::highestRate),
              "an instance at a usable rate was refused");
        return 0;
    }
    std::array<float, sweepfilter::controlCount> controls{};
    for (std::uint32_t k = 0; k < controls.size(); ++k)
    {
        controls[k] = sweepfilter::describe(static_cast<sweepfilter::Control>(k)).defaultValue;
        instance->connect(sweepfilter::lv2::portOf(static_cast<sweepfilter::Control>(k)),
                          &controls[k]);
    }
    std::vector<std::uint8_t> atoms(atomBytes);
    std::vector<float> inLeft(maxFrames + tail), inRight(maxFrames + tail),
        outLeft(maxFrames + tail), outRight(maxFrames + tail);
    instance->activate();
    for (int action = 0; action < 48 && !in.empty(); ++action)
    {
        const int kind = in.byte() % 8;
        if (kind <= 2)
        {
            // Any control value: mostly within reach of the ranges, sometimes any bits.
            const auto k = static_cast<std::size_t>(in.byte() % (sweepfilter::controlCount + 1));
            const float value =
                in.byte() < 128 ? static_cast<float>(in.word() % 25000) - 50.0f : in.floatBits();
            if (k < controls.size())
                controls[k] = value;
        }
        else if (kind == 3)
        {
            instance->activate();
        }
        else if (kind == 4)
        {
            // Ports connected elsewhere or not at all.
            const std::uint32_t port = in.byte() % 20;
            instance->connect(port, in.byte() & 1 ? nullptr : atoms.data());
            if (const std::uint32_t k = sweepfilter::lv2::controlAt(port);
                k < sweepfilter::controlCount)
                instance->connect(port, &controls[k]);
        }
        else
        {
            const std::uint32_t frames = in.word() % (maxFrames + 1);
            const bool inPlace = in.byte() & 1;
            const float scale = static_cast<float>(1 + in.byte()) / 16.0f;
            for (std::uint32_t i = 0; i < maxFrames + tail; ++i)
            {
                const bool inside = i < frames;
                const float x = static_cast<float>(static_cast<std::int8_t>(in.byte())) * scale;
                inLeft[i] = inside ? x : untouched;
                inRight[i] = inside ? -x : untouched;
                outLeft[i] = outRight[i] = untouched;
            }
            writeSequence(in, atoms);
            instance->connect(sweepfilter::lv2::inputLeft, inLeft.data());
            instance->connect(sweepfilter::lv2::inputRight, inRight.data());
            instance->connect(sweepfilter::lv2::outputLeft,
                              inPlace ? inLeft.data() : outLeft.data());
            instance->connect(sweepfilter::lv2::outputRight,
                              inPlace ? inRight.data() : outRight.data());
            instance->connect(sweepfilter::lv2::timePort, atoms.data());
            instance->run(frames);
            const float* left = inPlace ? inLeft.data() : outLeft.data();
            const float* right = inPlace ? inRight.data() : outRight.data();
            for (std::uint32_t i = 0; i < frames; ++i)
                check(std::isfinite(left[i]) && std::isfinite(right[i]),
                      "finite input gave a non-finite output");
            for (std::uint32_t i = frames; i < maxFrames + tail; ++i)
                check(left[i] == untouched && right[i] == untouched,
                      "run wrote past the frames it was given");
        }
    }
    delete instance;
    return 0;
}
