#pragma once

#include <filesystem>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace quova::testing {

// Builds a test medium by running a gst-launch style pipeline description to
// its end. "$OUT" in the description stands for the output file's path, e.g.
//   MakeMedia("audiotestsrc num-buffers=20 ! wavenc ! filesink location=$OUT", dir / "a.wav")
// Returns an empty string on success, else GStreamer's error text.
std::string MakeMedia(const std::string& description, const std::filesystem::path& out);

// Plays a pipeline the caller built to its end (at most `timeoutSeconds`) and
// frees it; "" or the error's text, as MakeMedia.
std::string RunPipelineToEnd(GstElement* pipeline, int timeoutSeconds);

// As MakeMedia, but keeps `out` when it exists already (media kept between
// runs, such as the benchmarks' clips).
std::string MakeMediaOnce(const std::string& description, const std::filesystem::path& out);

// Ready-made media the tests of several folders use. Each writes `out` and
// returns it, or fails the calling test through a GoogleTest assertion.
namespace media {
// A WAV file of PCM sine tone: 16-bit, `channels` channels at `rate` Hz.
std::filesystem::path Wav(const std::filesystem::path& out, double seconds = 1.0, int rate = 44100,
                          int channels = 2);
// An MP3 file (MPEG-1 layer III), optionally ending in an ID3 version 1 tag.
std::filesystem::path Mp3(const std::filesystem::path& out, double seconds = 1.0,
                          bool id3v1 = false);
// The length ffprobe (FFmpeg, which nothing here builds on) gives `file`, in
// seconds; a negative number when it cannot tell.
double FfprobeSeconds(const std::filesystem::path& file);
// A variable-bit-rate MP3 without a Xing or Info header, as lamemp3enc makes
// them: `loudSeconds` of loud noise (high bit rates) and `quietSeconds` of
// near silence (low ones), loud first or quiet first, so that the bit rate of
// the first frames misjudges the length one way or the other.
std::filesystem::path VbrMp3(const std::filesystem::path& out, double loudSeconds,
                             double quietSeconds, bool loudFirst);
// An MP3 file (128 kbit/s) that starts with an ID3 version 2.3 tag holding a
// `side` x `side` JPEG cover picture, as music shops and taggers make them.
std::filesystem::path Mp3WithCover(const std::filesystem::path& out, double seconds, int side);
// An MPEG program stream of MPEG-1 video only, `frames` frames at 25 fps.
std::filesystem::path MpegPsVideoFrames(const std::filesystem::path& out, int frames);
// An Ogg Vorbis file.
std::filesystem::path OggVorbis(const std::filesystem::path& out, double seconds = 1.0);
// An Ogg file with Theora video (320x240) and Vorbis audio.
std::filesystem::path OggTheoraVorbis(const std::filesystem::path& out, double seconds = 1.0);
// An AVI file with MJPEG video (320x240, 25 fps) and `audioStreams` PCM audio streams.
std::filesystem::path AviPcm(const std::filesystem::path& out, double seconds = 1.0,
                             int audioStreams = 2);
// An AVI file with MJPEG video and one MP3 audio stream.
std::filesystem::path AviMp3(const std::filesystem::path& out, double seconds = 1.0);
// An MPEG program stream with MPEG-1 video and MPEG-1 layer II audio.
std::filesystem::path MpegPs(const std::filesystem::path& out, double seconds = 1.0);
// A Matroska file with H.264 video (320x240, 25 fps) and MP3 audio.
std::filesystem::path MatroskaH264Mp3(const std::filesystem::path& out, double seconds = 1.0);
// As MatroskaH264Mp3, with a keyframe every `keyFrameInterval` frames and
// none between (no scene cuts): every other frame depends on the ones
// before it, back to its keyframe.
std::filesystem::path MatroskaH264KeyFrames(const std::filesystem::path& out, double seconds,
                                            int keyFrameInterval);
// An MP4 file with H.264 video (320x240, 25 fps) and AAC audio.
std::filesystem::path Mp4H264Aac(const std::filesystem::path& out, double seconds = 1.0);
// An Ogg file with one Vorbis stream per frequency, each a sine tone of that
// frequency, in the order given.
std::filesystem::path OggVorbisTones(const std::filesystem::path& out, double seconds,
                                     const std::vector<int>& frequencies);
// An AVI file with video (320x240, 25 fps) compressed by `encoder`, a
// pipeline fragment such as "jpegenc", and one PCM audio stream.
std::filesystem::path AviVideoPcm(const std::filesystem::path& out, double seconds,
                                  const std::string& encoder);
// An MPEG program stream of small MPEG-2 video whose MPEG-1 layer II audio
// begins only `audioStart` seconds in and lasts to the video's end.
std::filesystem::path MpegPsLateAudio(const std::filesystem::path& out, double videoSeconds,
                                      double audioStart);
// An HLS stream in `folder`: "index.m3u8" naming MPEG transport stream
// segments of about `segmentSeconds` (H.264 video 320x240 at 25 fps with a
// keyframe a second, AAC audio) that together last `seconds`. Returns the
// play list's path.
std::filesystem::path Hls(const std::filesystem::path& folder, double seconds,
                          int segmentSeconds = 2);
// A DASH presentation in `folder`: "index.mpd", static, with a video
// (H.264 320x240 at 25 fps) and a sound (AAC) adaptation set, each of
// fragmented MP4 segments of `segmentSeconds` that together last `seconds`.
// Returns the manifest's path.
std::filesystem::path Dash(const std::filesystem::path& folder, double seconds,
                           int segmentSeconds = 2);
}  // namespace media

// The presentation times in seconds, ascending, of the keyframes of a
// Matroska file's first video stream, as GStreamer's demuxer marks them.
// Fails the calling test when the file cannot be read to its end.
std::vector<double> MatroskaVideoKeyFrames(const std::filesystem::path& file);

}  // namespace quova::testing
