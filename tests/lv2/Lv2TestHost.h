#pragma once

#include <dlfcn.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"

namespace sweepfilter::test
{

// The project's own LV2 host for the tests: loads the bundle's library (or takes any
// descriptor), maps URIs, connects every port and runs blocks, with time:Position events
// on the atom port when asked.

#ifdef SWEEPFILTER_LV2_LIBRARY
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

    const LV2_Descriptor* descriptor(std::uint32_t index = 0) const
    {
        return entry_ ? entry_(index) : nullptr;
    }

private:
    void* handle_;
    const LV2_Descriptor* (*entry_)(std::uint32_t) = nullptr;
};
#endif

// urid:map over a list of URIs: a URI's number is its place in the list, from 1.
class UridMap
{
public:
    UridMap() : map_{this, &UridMap::mapUri}, feature_{LV2_URID__map, &map_} {}
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID operator()(const char* uri) { return mapUri(this, uri); }
    LV2_URID_Map* map() { return &map_; }
    const LV2_Feature* feature() const { return &feature_; }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& uris = static_cast<UridMap*>(handle)->uris_;
        for (std::size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }

    std::vector<std::string> uris_;
    LV2_URID_Map map_;
    LV2_Feature feature_;
};

// What a host reports in one time:Position (fields left empty are not sent).
struct Position
{
    std::int64_t frame = 0; // the event's time stamp within the block
    std::optional<double> beat;
    std::optional<double> beatsPerMinute;
    std::optional<double> speed;
    bool asBeat = false; // time:beat instead of bar, beat within the bar and beats per bar
};

// The port indices a host reads from the Turtle: the first ten controls from 4, the atom
// port at 14, the later controls from 15.
constexpr std::uint32_t controlPortIndex(std::uint32_t k)
{
    return k < 10 ? 4 + k : 15 + k - 10;
}
inline constexpr std::uint32_t timePortIndex = 14;

// One plug-in instance with all of its ports connected.
class Session
{
public:
    Session(const LV2_Descriptor* descriptor, double rate, bool withMap = true)
        : descriptor_(descriptor), rate_(rate)
    {
        for (int k = 0; k < controlCount; ++k)
            controls_[static_cast<std::size_t>(k)] = describe(static_cast<Control>(k)).defaultValue;
        const LV2_Feature* features[] = {urids_.feature(), nullptr};
        handle_ = descriptor->instantiate(descriptor, rate, "", withMap ? features : nullptr);
        if (!handle_)
            return;
        for (std::uint32_t k = 0; k < controlCount; ++k)
            descriptor->connect_port(handle_, controlPortIndex(k), &controls_[k]);
        lv2_atom_forge_init(&forge_, urids_.map());
        descriptor->connect_port(handle_, timePortIndex, time_.data());
        clearTime();
        descriptor->activate(handle_);
    }
    ~Session()
    {
        if (!handle_)
            return;
        if (descriptor_->deactivate)
            descriptor_->deactivate(handle_);
        descriptor_->cleanup(handle_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    LV2_Handle handle() const { return handle_; }
    double rate() const { return rate_; }
    float& control(Control c) { return controls_[static_cast<std::size_t>(c)]; }
    void set(Control c, float value) { control(c) = value; }

    // Runs one block; `positions` go on the atom port for it.
    void run(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
             std::uint32_t frames, const std::vector<Position>& positions = {})
    {
        writeTime(positions);
        connectAudio(inLeft, inRight, outLeft, outRight);
        descriptor_->run(handle_, frames);
    }

    void connectAudio(const float* inLeft, const float* inRight, float* outLeft, float* outRight)
    {
        descriptor_->connect_port(handle_, 0, const_cast<float*>(inLeft));
        descriptor_->connect_port(handle_, 1, const_cast<float*>(inRight));
        descriptor_->connect_port(handle_, 2, outLeft);
        descriptor_->connect_port(handle_, 3, outRight);
    }

    // The sequence on the atom port for the next run: these positions, or none. (GCC takes
    // the forge's stack of open frames, popped before returning, for a dangling pointer.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
    void writeTime(const std::vector<Position>& positions)
    {
        clearTime();
        if (!positions.empty())
        {
            lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(time_.data()),
                                      time_.size() * sizeof(std::uint64_t));
            LV2_Atom_Forge_Frame sequence;
            lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
            for (const Position& p : positions)
                writePosition(p);
            lv2_atom_forge_pop(&forge_, &sequence);
        }
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

    // Runs a whole stereo signal in blocks of `block` frames; returns left and right.
    std::array<std::vector<float>, 2> render(const std::vector<float>& left,
                                             const std::vector<float>& right, std::size_t block)
    {
        std::array<std::vector<float>, 2> out{std::vector<float>(left.size()),
                                              std::vector<float>(left.size())};
        for (std::size_t done = 0; done < left.size(); done += block)
        {
            const std::size_t frames = std::min(block, left.size() - done);
            run(left.data() + done, right.data() + done, out[0].data() + done, out[1].data() + done,
                static_cast<std::uint32_t>(frames));
        }
        return out;
    }

    // The atom port's buffer, for tests that write their own bytes.
    std::uint8_t* timeBuffer()
    {
        return reinterpret_cast<std::uint8_t*>(time_.data());
    }
    std::size_t timeBufferSize() const
    {
        return time_.size() * sizeof(std::uint64_t);
    }

private:
    void clearTime()
    {
        // An empty sequence, as hosts hand when nothing happened.
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(time_.data());
        sequence->atom.type = urids_(LV2_ATOM__Sequence);
        sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
        sequence->body.unit = 0;
        sequence->body.pad = 0;
    }

    void writePosition(const Position& p)
    {
        lv2_atom_forge_frame_time(&forge_, p.frame);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge_, &object, 0, urids_(LV2_TIME__Position));
        if (p.beat && (p.asBeat || !std::isfinite(*p.beat)))
        {
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__beat));
            lv2_atom_forge_double(&forge_, *p.beat);
        }
        else if (p.beat)
        {
            // As Ardour and jalv send it: bar and beat within the bar, 4 beats a bar.
            const double bar = static_cast<double>(static_cast<std::int64_t>(*p.beat / 4.0));
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__bar));
            lv2_atom_forge_long(&forge_, static_cast<std::int64_t>(bar));
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__barBeat));
            lv2_atom_forge_float(&forge_, static_cast<float>(*p.beat - 4.0 * bar));
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__beatsPerBar));
            lv2_atom_forge_float(&forge_, 4.0f);
        }
        if (p.beatsPerMinute)
        {
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__beatsPerMinute));
            lv2_atom_forge_float(&forge_, static_cast<float>(*p.beatsPerMinute));
        }
        if (p.speed)
        {
            lv2_atom_forge_key(&forge_, urids_(LV2_TIME__speed));
            lv2_atom_forge_float(&forge_, static_cast<float>(*p.speed));
        }
        lv2_atom_forge_pop(&forge_, &object);
    }

    const LV2_Descriptor* descriptor_;
    double rate_;
    LV2_Handle handle_ = nullptr;
    UridMap urids_;
    LV2_Atom_Forge forge_{};
    std::array<float, controlCount> controls_{};
    std::vector<std::uint64_t> time_ = std::vector<std::uint64_t>(1024); // 8 KiB, 8-aligned
};

} // namespace sweepfilter::test
