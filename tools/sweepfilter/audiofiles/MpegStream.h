#pragma once

#include <cstdint>
#include <string>

struct mpg123_handle_struct;

namespace sweepfilter::tool
{

// An MPEG audio file (MP3) decoded with libmpg123 to the end of what it holds. libsndfile stops
// at the length the first header states, which for files joined end to end is the first one's;
// libmpg123 decodes every frame that follows, as players and sox do.
class MpegStream
{
public:
    // Throws ToolError(audioFile) when libmpg123 cannot open the file at this rate and width.
    MpegStream(const std::string& path, int sampleRate, int channels);
    ~MpegStream();
    MpegStream(const MpegStream&) = delete;
    MpegStream& operator=(const MpegStream&) = delete;

    // Decodes up to `frames` interleaved float frames; 0 at the end. Throws on a decoding error.
    std::int64_t read(float* interleaved, std::int64_t frames);

private:
    mpg123_handle_struct* handle_;
    std::string path_;
    int channels_;
};

} // namespace sweepfilter::tool
