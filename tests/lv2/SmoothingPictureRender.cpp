// Renders the README's smoothing picture's audio through the LV2 edition with the project's
// LV2 test host: a 220 Hz sine through the soft filter at Q 0.9 whose Cutoff a host steps
// between 500 Hz and 4 kHz every 250 ms, in 64-frame blocks, with Smoothing at 0 and at 20 ms.
// Usage: lv2_smoothing_render FOLDER   (writes smoothing-0ms.wav and smoothing-20ms.wav)

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "LinkedAdapter.h"
#include "Lv2TestHost.h"

namespace
{

using namespace sweepfilter;

bool renderTo(const std::string& path, float smoothingMs)
{
    constexpr double rate = 44100.0, pi = 3.141592653589793;
    constexpr std::size_t frames = 2 * 44100, block = 64;
    std::vector<float> in(frames), left(frames), right(frames);
    for (std::size_t i = 0; i < frames; ++i)
        in[i] =
            static_cast<float>(0.5 * std::sin(2.0 * pi * 220.0 * static_cast<double>(i) / rate));
    test::Session session(test::adapter(), rate);
    session.set(Control::qFactor, 0.9f);
    session.set(Control::smoothingMs, smoothingMs);
    for (std::size_t done = 0; done < frames; done += block)
    {
        session.set(Control::cutoffHz, (done / 11025) % 2 == 0 ? 500.0f : 4000.0f);
        session.run(in.data() + done, in.data() + done, left.data() + done, right.data() + done,
                    static_cast<std::uint32_t>(std::min(block, frames - done)));
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> interleaved(2 * frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    const bool written =
        sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames)) ==
        static_cast<sf_count_t>(frames);
    return sf_close(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: lv2_smoothing_render FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (float ms : {0.0f, 20.0f})
    {
        const std::string path =
            folder + "/smoothing-" + std::to_string(static_cast<int>(ms)) + "ms.wav";
        if (!renderTo(path, ms))
        {
            std::fprintf(stderr, "lv2_smoothing_render: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
