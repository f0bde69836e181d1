#include "mediainfo/avi_info.h"

#include <cstdio>

#include "mediainfo/number_format.h"

namespace quova {

namespace {

// Real files nest lists two or three deep and hold a few dozen header
// chunks; these bounds only stop hostile files from exhausting the stack or
// growing the listing without end.
constexpr int kMaxListDepth = 32;
constexpr int kMaxListedChunks = 100000;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

std::string Dec(uint64_t value) {
    return std::to_string(value);
}

class AviWalker {
  public:
    AviWalker(BinaryReader& reader, AviInfo& info) : r_(reader), info_(info) {}

    void Walk() {
        if (r_.ReadTextUpTo(4) != "RIFF") return;
        const uint32_t riffSize = r_.ReadU32();
        const std::string form = r_.ReadTextUpTo(4);
        if (form != "AVI ") return;
        const int64_t delta = static_cast<int64_t>(r_.Size()) - riffSize - 8;
        Append("RIFF (" + Dec(riffSize) + " delta=" + std::to_string(delta) + ") " + form);
        EndLine();

        for (std::string id = r_.ReadTextUpTo(4); id == "LIST" || id == "JUNK" || id == "idx1";
             id = r_.ReadTextUpTo(4)) {
            const uint32_t size = r_.ReadU32();
            const uint64_t start = r_.Position();
            if (id == "idx1") {
                Append("idx1 (" + Hex(size) + ")");
                EndLine();
            } else {
                const std::string type = r_.ReadText(4);
                Append(id + " (" + Hex(size) + ") " + PrintableCode(type));
                EndLine();
                if (id == "LIST" && type != "movi") WalkList(1, size);
            }
            MoveToChunkEnd(start, size);
            CountChunk();
        }
    }

    // Keeps a line that an error interrupted: it shows how far the walk got.
    void FlushLine() {
        if (!line_.empty()) EndLine();
    }

  private:
    void Append(const std::string& piece) { line_ += piece; }
    void EndLine() {
        info_.text += line_;
        info_.text += "\r\n";
        line_.clear();
    }

    void CountChunk() {
        if (++listedChunks_ > kMaxListedChunks) throw ReadError("too many chunks");
    }

    // RIFF chunks are aligned to even offsets: an odd-sized chunk is followed
    // by a pad byte, which a file may leave out at its very end.
    void MoveToChunkEnd(uint64_t start, uint32_t size) {
        uint64_t end = start + size;
        if (size % 2 == 1 && end < r_.Size()) ++end;
        r_.Seek(end);
    }

    void WalkList(int depth, uint32_t listSize) {
        if (depth > kMaxListDepth) throw ReadError("lists nested too deeply");
        const std::string indent(depth, ' ');
        uint64_t consumed = 4;  // the list type, already read
        while (consumed < listSize) {
            const std::string id = r_.ReadText(4);
            const uint32_t size = r_.ReadU32();
            consumed += 8 + static_cast<uint64_t>(size) + size % 2;
            const uint64_t start = r_.Position();
            CountChunk();
            if (id == "LIST") {
                const std::string type = r_.ReadText(4);
                Append(indent + "LIST (" + Hex(size) + ") " + PrintableCode(type));
                EndLine();
                WalkList(depth + 1, size);
            } else if (id != "strf") {
                // A stream's format chunk is listed right after its stream
                // header, so it is passed over when the walk meets it again.
                Append(indent + PrintableCode(id) + " (" + Hex(size) + ") ");
                if (id == "avih") MainHeader();
                if (id == "strh") StreamHeader(depth, start, size);
                EndLine();
            }
            MoveToChunkEnd(start, size);
        }
    }

    void MainHeader() {
        const uint32_t microSecPerFrame = r_.ReadU32();
        const uint32_t maxBytesPerSec = r_.ReadU32();
        r_.Skip(8);
        const uint32_t totalFrames = r_.ReadU32();
        r_.Skip(4);
        const uint32_t streams = r_.ReadU32();
        r_.Skip(4);
        const uint32_t width = r_.ReadU32();
        const uint32_t height = r_.ReadU32();
        // A zero frame duration means the rate is unknown, not infinite.
        const double rate = microSecPerFrame ? 1000000.0 / microSecPerFrame : 0.0;
        Append("MicroSec/Frame=" + Dec(microSecPerFrame) + "; FrameRate=" + FormatGeneral(rate, 5) +
               " frames/sec" + "; MaxBytes/Sec=" + Dec(maxBytesPerSec) +
               "; Frames=" + Dec(totalFrames) + "; Streams=" + Dec(streams) + "; W=" + Dec(width) +
               "; H=" + Dec(height));
        info_.figures.frameRate = rate;
        info_.figures.totalFrames = totalFrames;
        info_.figures.width = static_cast<int>(width);
        info_.figures.height = static_cast<int>(height);
    }

    void StreamHeader(int depth, uint64_t start, uint32_t size) {
        const std::string type = r_.ReadText(4);
        const std::string handler = r_.ReadText(4);
        r_.Skip(12);
        const uint32_t scale = r_.ReadU32();
        const uint32_t rate = r_.ReadU32();
        const uint32_t startTime = r_.ReadU32();
        const uint32_t length = r_.ReadU32();
        r_.Skip(4);
        const uint32_t quality = r_.ReadU32();
        const uint32_t sampleSize = r_.ReadU32();
        Append("Type=" + PrintableCode(type) + "; Handler=" + PrintableCode(handler) +
               "; Scale=" + Dec(scale) + "; Rate=" + Dec(rate) + "; Start=" + Dec(startTime) +
               "; Len=" + Dec(length) + "; Qual=" + Dec(quality) + "; SampSize=" + Dec(sampleSize));
        EndLine();

        MoveToChunkEnd(start, size);
        const std::string id = r_.ReadText(4);
        const uint32_t formatSize = r_.ReadU32();
        Append(std::string(depth + 1, ' ') + PrintableCode(id) + " (" + Dec(formatSize) + ") ");
        if (id != "strf") return;
        if (type == "vids") VideoFormat(scale ? static_cast<double>(rate) / scale : 0.0);
        if (type == "auds") AudioFormat();
    }

    void VideoFormat(double frameRate) {
        r_.Skip(4);
        const uint32_t width = r_.ReadU32();
        const uint32_t height = r_.ReadU32();
        const uint16_t planes = r_.ReadU16();
        const uint16_t bitCount = r_.ReadU16();
        const std::string compression = r_.ReadText(4);
        const uint32_t imageSize = r_.ReadU32();
        Append("W=" + Dec(width) + "; H=" + Dec(height) + "; Planes=" + Dec(planes) +
               "; BitCnt=" + Dec(bitCount) + "; Compr=" + PrintableCode(compression) +
               "; SizeImg=" + Dec(imageSize));
        StreamFigures& f = info_.figures;
        if (f.videoStreamCount < kStreamFigureSlots) {
            f.videoFrameRates[f.videoStreamCount] = frameRate;
            f.video.push_back({static_cast<int>(width), static_cast<int>(height), bitCount,
                               PrintableCode(compression)});
        }
        ++f.videoStreamCount;
    }

    void AudioFormat() {
        const uint16_t tag = r_.ReadU16();
        const uint16_t channels = r_.ReadU16();
        const uint32_t samplesPerSec = r_.ReadU32();
        const uint32_t avgBytesPerSec = r_.ReadU32();
        const uint16_t blockAlign = r_.ReadU16();
        const uint16_t bitsPerSample = r_.ReadU16();
        const uint16_t extraSize = r_.ReadU16();
        const bool mp3 = tag == 0x55;
        std::string piece = "Format=" + Dec(tag) + " " + (mp3 ? "(MP3)" : "") +
                            "; Chans=" + Dec(channels) + "; Samples/Sec=" + Dec(samplesPerSec) +
                            "; AvgBytes/Sec=" + Dec(avgBytesPerSec);
        if (mp3)
            piece +=
                " (" + Dec((static_cast<uint64_t>(avgBytesPerSec) * 8 + 999) / 1000) + "kbits/sec)";
        piece += "; BlkAlign=" + Dec(blockAlign) + "; Bits/Samp=" + Dec(bitsPerSample) +
                 "; Size=" + Dec(extraSize);
        Append(piece);
        StreamFigures& f = info_.figures;
        if (f.audioStreamCount < kStreamFigureSlots) f.audio.push_back({channels, samplesPerSec});
        ++f.audioStreamCount;
    }

    BinaryReader& r_;
    AviInfo& info_;
    std::string line_;
    int listedChunks_ = 0;
};

}  // namespace

std::string AviInfo::ErrorMessage() const {
    return error + "\n" + "error getting AVI information";
}

AviInfo ReadAviInfo(const std::filesystem::path& file) {
    FileSource source(file);
    if (!source.IsOpen()) return {};
    return ReadAviInfo(source);
}

AviInfo ReadAviInfo(ByteSource& source) {
    AviInfo info;
    BinaryReader reader(source);
    AviWalker walker(reader, info);
    try {
        walker.Walk();
    } catch (const ReadError& e) {
        walker.FlushLine();
        info.error = e.what();
    }
    return info;
}

}  // namespace quova
