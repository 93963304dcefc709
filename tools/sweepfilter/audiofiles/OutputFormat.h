#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sweepfilter::tool
{

// A container the installed libsndfile can write, found by a file name extension.
struct Container
{
    std::string extension; // without the dot, lower case
    std::string name;      // as libsndfile names it
    int format;            // the major format, and for the lossy ones their codec too
    bool lossy;            // the codec fixes the encoding: --format does not apply
};

// Every container this libsndfile writes, by extension (aliases such as "aif" included).
const std::vector<Container>& writableContainers();

// The container for an output path's extension, or for `type` when it is not empty (needed
// for standard output, which has no name). Without either, WAV; on outputs that cannot seek,
// AU, which streams. Throws ToolError(usage) listing the extensions that work.
const Container& containerFor(const std::string& path, const std::string& type, bool seekable);

// The complete libsndfile format for writing `channels` at `sampleRate` into the container:
// `encoding` is float, pcm16, pcm24, pcm32 or input (the input file's own encoding). Throws
// ToolError(usage) when the container cannot hold it, naming the --format values that work.
int outputFormat(const Container& container, const std::string& encoding, int inputFormat,
                 int channels, int sampleRate);

// Throws ToolError(usage) when `frames` of the format would not fit the container: WAV, AIFF
// and the other containers with 32-bit chunk sizes end at 4 GiB, and libsndfile would wrap
// their lengths silently. Names the containers that hold more.
void checkOutputSize(const Container& container, int format, int channels, std::int64_t frames);

} // namespace sweepfilter::tool
