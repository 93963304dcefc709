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
    // An MPEG stream from a pipe, not yet read from: its rate and width come from its first
    // frame. The stream takes the descriptor and closes it.
    MpegStream(int descriptor, const std::string& name);

    // True when a pipe's first bytes (looked at without taking them) start an MPEG audio
    // stream: an ID3 tag or a layer I-III frame header. libsndfile overruns a buffer reading
    // MP3 from a pipe, so such a stream is decoded by libmpg123 from the start.
    static bool startsPipe(int descriptor);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    // The length the stream's first header states; 0 when it states none.
    std::int64_t statedFrames() const;
    ~MpegStream();
    MpegStream(const MpegStream&) = delete;
    MpegStream& operator=(const MpegStream&) = delete;

    // Decodes up to `frames` interleaved float frames; 0 at the end. Throws on a decoding error.
    std::int64_t read(float* interleaved, std::int64_t frames);

private:
    mpg123_handle_struct* handle_;
    std::string path_;
    int channels_;
    int sampleRate_ = 0;
    int descriptor_ = -1; // owned, for a pipe
};

} // namespace sweepfilter::tool
