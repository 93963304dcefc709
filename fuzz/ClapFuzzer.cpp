// Drives the CLAP plug-in as a host could, with actions decoded from the fuzzer's bytes: calls
// in any order (activation at any rate, processing started or not, reset, deactivation),
// event lists of any content (parameter values with any id, time and value, transports with
// any flags and numbers, unknown types and spaces, sizes from a bare header to oversized),
// flushes, state streams of any bytes in reads of any size, and the parameters' texts.
// Checks: calls out of order are refused, nothing is written outside the block, finite input
// gives finite output, a refused state changes no value, and a saved state loads back.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "ClapParameters.h"
#include "ClapPlugin.h"
#include "FuzzInput.h"

using namespace sweepfilter::clap;

namespace
{

constexpr std::uint32_t maxFrames = 2048, tail = 16;
constexpr float untouched = 1234.5f;

const char* const features[] = {nullptr};
const clap_plugin_descriptor descriptor = {CLAP_VERSION, "fuzz", "fuzz", "", "",
                                           "",           "",     "",     "", features};

// Events as a host lays them out: each one contiguous, `size` bytes, 8-aligned.
struct Events
{
    std::vector<std::uint64_t> words;
    std::vector<std::size_t> offsets;
    clap_input_events list{
        this,
        [](const clap_input_events* l) {
            return static_cast<std::uint32_t>(static_cast<const Events*>(l->ctx)->offsets.size());
        },
        [](const clap_input_events* l, std::uint32_t i) {
            const auto* self = static_cast<const Events*>(l->ctx);
            return i < self->offsets.size() ? reinterpret_cast<const clap_event_header*>(
                                                  self->words.data() + self->offsets[i])
                                            : nullptr;
        }};

    void read(ByteReader& in, std::uint32_t frames)
    {
        words.clear();
        offsets.clear();
        for (int e = in.byte() % 8; e > 0; --e)
        {
            const std::uint8_t shape = in.byte();
            const std::uint16_t type = shape < 120   ? CLAP_EVENT_PARAM_VALUE
                                       : shape < 200 ? CLAP_EVENT_TRANSPORT
                                                     : static_cast<std::uint16_t>(in.byte() % 14);
            const std::uint32_t proper = type == CLAP_EVENT_TRANSPORT ? sizeof(clap_event_transport)
                                         : type == CLAP_EVENT_PARAM_VALUE
                                             ? sizeof(clap_event_param_value)
                                             : sizeof(clap_event_header);
            const std::uint32_t size =
                in.byte() < 230 ? proper : sizeof(clap_event_header) + in.byte();
            std::vector<std::uint8_t> bytes(size);
            for (auto& b : bytes)
                b = in.byte();
            const std::uint32_t time = in.byte() < 200 ? in.word() % (frames + 1) : in.word();
            const clap_event_header header{
                size, time, static_cast<std::uint16_t>(in.byte() < 240 ? 0 : 1), type, 0};
            std::memcpy(bytes.data(), &header, sizeof header);
            if (type == CLAP_EVENT_PARAM_VALUE && size >= sizeof(clap_event_param_value))
            {
                clap_event_param_value event;
                std::memcpy(&event, bytes.data(), sizeof event);
                event.param_id = in.byte() < 230 ? in.byte() % (parameterCount + 1) : in.word();
                event.value = in.byte() < 128 ? static_cast<double>(in.word() % 25000) - 50.0
                                              : in.doubleBits();
                std::memcpy(bytes.data(), &event, sizeof event);
            }
            offsets.push_back(words.size());
            words.resize(words.size() + (size + 7) / 8);
            std::memcpy(words.data() + offsets.back(), bytes.data(), size);
        }
    }
};

// A state stream over bytes, read in chunks of a given size, failing at its end on request.
struct Stream
{
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0, chunk = 1;
    bool fails = false;
    clap_istream in{this, [](const clap_istream* s, void* to, std::uint64_t size) {
                        auto* self = static_cast<Stream*>(s->ctx);
                        const std::size_t left = self->bytes.size() - self->at;
                        if (left == 0)
                            return self->fails ? std::int64_t{-1} : std::int64_t{0};
                        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(
                            {size, std::uint64_t{self->chunk}, std::uint64_t{left}}));
                        std::memcpy(to, self->bytes.data() + self->at, n);
                        self->at += n;
                        return static_cast<std::int64_t>(n);
                    }};
    clap_ostream out{this, [](const clap_ostream* s, const void* from, std::uint64_t size) {
                         auto* self = static_cast<Stream*>(s->ctx);
                         const auto n =
                             static_cast<std::size_t>(std::min<std::uint64_t>(size, self->chunk));
                         const auto* written = static_cast<const std::uint8_t*>(from);
                         self->bytes.insert(self->bytes.end(), written, written + n);
                         return static_cast<std::int64_t>(n);
                     }};
};

std::array<double, parameterCount> valuesOf(ClapPlugin& plugin)
{
    std::array<double, parameterCount> values{};
    for (clap_id id = 0; id < parameterCount; ++id)
        check(plugin.getValue(id, values[id]), "a parameter has no value");
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const clap_plugin* p = ClapPlugin::create(nullptr, &descriptor);
    if (!p)
        return 0;
    ClapPlugin& plugin = *ClapPlugin::of(p);
    check(p->init(p), "init failed");
    bool active = false, processing = false;
    Events events;
    std::vector<float> inLeft(maxFrames + tail), inRight(maxFrames + tail),
        outLeft(maxFrames + tail), outRight(maxFrames + tail);
    for (int action = 0; action < 48 && !in.empty(); ++action)
    {
        const int kind = in.byte() % 10;
        if (kind <= 3)
        {
            const std::uint32_t frames = in.word() % (maxFrames + 1);
            const bool inPlace = in.byte() & 1;
            const float scale = static_cast<float>(1 + in.byte()) / 16.0f;
            for (std::uint32_t i = 0; i < maxFrames + tail; ++i)
            {
                const float x = static_cast<float>(static_cast<std::int8_t>(in.byte())) * scale;
                inLeft[i] = i < frames ? x : untouched;
                inRight[i] = i < frames ? -x : untouched;
                outLeft[i] = outRight[i] = untouched;
            }
            events.read(in, frames);
            float* inputs[2] = {inLeft.data(), inRight.data()};
            float* outputs[2] = {inPlace ? inLeft.data() : outLeft.data(),
                                 inPlace ? inRight.data() : outRight.data()};
            const clap_audio_buffer input{inputs, nullptr, 2, 0, 0};
            clap_audio_buffer output{outputs, nullptr, 2, 0, 0};
            clap_event_transport transport{};
            for (auto* b = reinterpret_cast<std::uint8_t*>(&transport) + sizeof(clap_event_header);
                 b < reinterpret_cast<std::uint8_t*>(&transport + 1); ++b)
                *b = in.byte();
            const bool withTransport = in.byte() & 1;
            const clap_process process{-1,     frames,       withTransport ? &transport : nullptr,
                                       &input, &output,      1,
                                       1,      &events.list, nullptr};
            const std::int32_t status = p->process(p, &process);
            check(status == (processing ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR),
                  "process answered out of turn");
            for (std::uint32_t i = 0; processing && i < frames; ++i)
                check(std::isfinite(outputs[0][i]) && std::isfinite(outputs[1][i]),
                      "finite input gave a non-finite output");
            for (std::uint32_t i = frames; i < maxFrames + tail; ++i)
                check(outputs[0][i] == untouched && outputs[1][i] == untouched,
                      "process wrote past the frames it was given");
        }
        else if (kind == 4)
        {
            const double rates[] = {44100.0, 48000.0, 22050.0, 192000.0, 1000.0, 1.0e6};
            const std::uint8_t choice = in.byte();
            const double rate = choice < 200 ? rates[choice % 6] : in.doubleBits();
            const bool usable = rate >= ClapPlugin::lowestRate && rate <= ClapPlugin::highestRate;
            check(p->activate(p, rate, 1, maxFrames) == (!active && usable),
                  "activate answered out of turn");
            active = active || usable;
        }
        else if (kind == 5)
        {
            p->deactivate(p);
            active = processing = false;
        }
        else if (kind == 6)
        {
            if (in.byte() & 1)
            {
                check(p->start_processing(p) == (active && !processing),
                      "start_processing answered out of turn");
                processing = active;
            }
            else
            {
                p->stop_processing(p);
                processing = false;
            }
            p->reset(p);
        }
        else if (kind == 7)
        {
            events.read(in, 0);
            plugin.flush(&events.list);
        }
        else if (kind == 8)
        {
            // A saved state loads back; any other bytes load or are refused without a change.
            const auto before = valuesOf(plugin);
            Stream saved;
            saved.chunk = 1 + in.byte() % 70;
            check(plugin.save(saved.out), "save failed");
            saved.chunk = 1 + in.byte() % 70;
            check(plugin.load(saved.in), "a saved state did not load");
            check(valuesOf(plugin) == before, "a saved state loaded other values");
            Stream other;
            for (int n = in.byte() % 80; n > 0; --n)
                other.bytes.push_back(in.byte());
            if (in.byte() & 1 && saved.bytes.size() == other.bytes.size())
                other.bytes[in.byte() % other.bytes.size()] ^= in.byte();
            other.chunk = 1 + in.byte() % 70;
            other.fails = in.byte() & 1;
            if (!plugin.load(other.in))
                check(valuesOf(plugin) == before, "a refused state changed a value");
        }
        else
        {
            const clap_id id = in.byte() % (parameterCount + 1);
            const double value = in.byte() < 128 ? in.word() % 25000 - 50.0 : in.doubleBits();
            char text[40];
            std::memset(text, 'x', sizeof text);
            const std::uint32_t capacity = in.byte() % 33;
            const auto control = controlOf(id);
            if (control && valueToText(*control, value, text, capacity))
            {
                check(std::memchr(text, '\0', capacity) != nullptr, "text not terminated");
                check(text[capacity] == 'x' || capacity == sizeof text, "text beyond capacity");
                if (capacity == 32)
                {
                    const auto back = textToValue(*control, text);
                    check(back.has_value(), "a shown text does not read back");
                    char again[32];
                    check(valueToText(*control, *back, again, 32) && std::strcmp(again, text) == 0,
                          "a text read back shows differently");
                }
            }
            char typed[24] = {};
            for (std::size_t i = 0; i + 1 < sizeof typed; ++i)
                typed[i] = static_cast<char>(in.byte());
            if (control)
                (void)textToValue(*control, typed);
        }
    }
    p->destroy(p);
    return 0;
}
