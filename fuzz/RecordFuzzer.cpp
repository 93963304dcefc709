// Drives a fresh effect through its record with actions decoded from the fuzzer's bytes, and
// checks after every action what must always hold: the record's constants, the width of every
// text, nothing written outside a buffer, and parameters reading back exactly as set.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "EffectFactory.h"
#include "FuzzInput.h"
#include "EffectOpcodes.h"
#include "HostCallback.h"

using namespace sweepfilter;

namespace
{

std::intptr_t host(EffectRecord*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == hostopcode::version ? 2400 : 0;
}

// A 256-byte text buffer between guard bytes.
struct GuardedText
{
    static constexpr std::size_t guard = 64, size = 256;
    static constexpr unsigned char pattern = 0xA5;
    unsigned char bytes[guard + size + guard];

    GuardedText() { std::memset(bytes, pattern, sizeof bytes); }
    char* text() { return reinterpret_cast<char*>(bytes + guard); }

    // Either nothing was written, or a text of at most `width` characters and its terminator;
    // nothing beyond them was touched.
    void checkWritten(std::size_t width) const
    {
        const std::size_t length = strnlen(reinterpret_cast<const char*>(bytes + guard), size);
        if (length == size)
        {
            for (unsigned char b : bytes)
                check(b == pattern, "a text operation wrote without a terminator");
            return;
        }
        check(length <= width, "a text is wider than allowed");
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            if (i < guard || i > guard + length)
                check(bytes[i] == pattern, "a text operation wrote outside its text");
    }
};

// Widths of the texts: program name, label, display, name (opcodes 5 to 8).
std::size_t textWidth(std::int32_t opcode)
{
    switch (opcode)
    {
    case 5:
        return 23;
    case 6:
        return 12;
    case 7:
        return 8;
    default:
        return 15;
    }
}

struct Channels
{
    std::vector<float> left, right;
    float* pointers[2];
};

constexpr std::size_t maxFrames = 2048, tail = 16;
constexpr float untouched = 1234.5f;

void process(EffectRecord* record, ByteReader& in, bool accumulate)
{
    const std::size_t frames = in.word() % (maxFrames + 1);
    const std::uint8_t mode = in.byte();
    static Channels input{
        std::vector<float>(maxFrames + tail), std::vector<float>(maxFrames + tail), {}};
    static Channels output{
        std::vector<float>(maxFrames + tail), std::vector<float>(maxFrames + tail), {}};
    // A few fuzzed bit patterns, repeated over the block: NaNs, infinities, subnormals...
    float pattern[4];
    for (float& value : pattern)
        value = in.floatBits();
    for (std::size_t i = 0; i < maxFrames + tail; ++i)
    {
        const bool inside = i < frames;
        input.left[i] = inside ? pattern[i % 4] : untouched;
        input.right[i] = inside ? pattern[(i + 1) % 4] : untouched;
        output.left[i] = output.right[i] = untouched;
    }
    input.pointers[0] = input.left.data();
    input.pointers[1] = input.right.data();
    output.pointers[0] = output.left.data();
    output.pointers[1] = output.right.data();
    // Hosts often pass the same buffers for both.
    float** outputs = (mode & 1) ? input.pointers : output.pointers;
    const auto count = static_cast<std::int32_t>(mode & 2 ? -static_cast<std::int32_t>(frames)
                                                          : static_cast<std::int32_t>(frames));
    (accumulate ? record->processAccumulate : record->processReplace)(record, input.pointers,
                                                                      outputs, count);
    for (std::size_t i = frames; i < maxFrames + tail; ++i)
        check(outputs[0][i] == untouched && outputs[1][i] == untouched,
              "processing wrote past the frames it was given");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    EffectRecord* record = createFilterEffect(&host);
    check(record != nullptr, "main made no effect");
    const EffectRecord constants = *record;
    float values[8];
    for (std::int32_t i = 0; i < 8; ++i)
        values[i] = record->getParameter(record, i);

    for (int action = 0; action < 64 && !in.empty(); ++action)
    {
        const std::uint8_t kind = in.byte() % 10;
        if (kind == 0)
        {
            // Any opcode but close, with any index and value, and a valid text buffer.
            // Mostly the opcodes the effect knows and their neighbours, sometimes any at all.
            const std::uint8_t selector = in.byte();
            auto op = selector < 240 ? static_cast<std::int32_t>(selector % 30) - 2
                                     : static_cast<std::int32_t>(in.word());
            if (op == opcode::close)
                op = opcode::getProgram;
            const auto index = static_cast<std::int32_t>(in.word());
            const auto value = static_cast<std::intptr_t>(static_cast<std::int32_t>(in.word()));
            GuardedText text;
            record->dispatch(record, op, index, value, text.text(), in.floatBits());
            if (op >= opcode::getProgramName && op <= opcode::getParameterName)
                text.checkWritten(textWidth(op));
            if (op == opcode::setProgram)
                for (std::int32_t i = 0; i < 8; ++i)
                    values[i] = record->getParameter(record, i);
        }
        else if (kind == 1)
        {
            const std::int32_t index = static_cast<std::int8_t>(in.byte()) % 12;
            const float value = in.floatBits();
            record->setParameter(record, index, value);
            if (index >= 0 && index < 8)
                values[index] = value;
        }
        else if (kind == 2 || kind == 3)
        {
            process(record, in, kind == 3);
        }
        else if (kind == 4)
        {
            record->dispatch(record, opcode::setProgram, 0,
                             static_cast<std::int8_t>(in.byte()) % 20, nullptr, 0.0f);
            for (std::int32_t i = 0; i < 8; ++i)
                values[i] = record->getParameter(record, i);
        }
        else if (kind == 5)
        {
            // A program name of any length, terminated.
            std::vector<char> name(in.byte() * 2 + 1);
            for (std::size_t i = 0; i + 1 < name.size(); ++i)
                name[i] = static_cast<char>(in.byte() | 1);
            name.back() = '\0';
            record->dispatch(record, opcode::setProgramName, 0, 0, name.data(), 0.0f);
            GuardedText text;
            record->dispatch(record, opcode::getProgramName, 0, 0, text.text(), 0.0f);
            text.checkWritten(23);
        }
        else if (kind == 6)
        {
            record->dispatch(record, opcode::setSampleRate, 0, 0, nullptr, in.floatBits());
        }
        else if (kind == 7)
        {
            record->dispatch(record, opcode::suspendResume, 0, in.byte() & 1, nullptr, 0.0f);
        }
        else if (kind == 8)
        {
            const std::int32_t op = opcode::getProgramName + in.byte() % 4;
            GuardedText text;
            record->dispatch(record, op, static_cast<std::int8_t>(in.byte()) % 12, 0, text.text(),
                             0.0f);
            text.checkWritten(textWidth(op));
        }
        else
        {
            const std::int32_t index = static_cast<std::int32_t>(in.word());
            const float value = record->getParameter(record, index);
            if (index < 0 || index >= 8)
                check(value == 0.0f, "a parameter outside 0..7 reads other than 0");
        }

        check(std::memcmp(record, &constants, sizeof constants) == 0, "the record changed");
        for (std::int32_t i = 0; i < 8; ++i)
        {
            const float value = record->getParameter(record, i);
            check(std::memcmp(&value, &values[i], sizeof value) == 0,
                  "a parameter does not read back as set");
        }
    }
    check(record->dispatch(record, opcode::close, 0, 0, nullptr, 0.0f) == 1,
          "close did not answer 1");
    return 0;
}
