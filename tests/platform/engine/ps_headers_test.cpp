// The streams an MPEG program stream's headers announce.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/engine/ps_headers.h"

namespace quova::engine {
namespace {

using Ids = std::vector<std::uint8_t>;

// The start of a file GStreamer's program stream multiplexer wrote (MPEG-1
// video and MPEG audio): a pack header, a system header listing streams
// 0xc0 and 0xe0, and a stream map giving them types 3 (MPEG-1 audio) and 1
// (MPEG-1 video).
const std::vector<std::uint8_t> kMuxed = {
    0x00, 0x00, 0x01, 0xba, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x00, 0x10, 0x03,
    0xf8, 0x00, 0x00, 0x01, 0xbb, 0x00, 0x0c, 0x80, 0x10, 0x01, 0x04, 0x21, 0x7f,
    0xc0, 0xc0, 0x13, 0xe0, 0xe1, 0x90, 0x00, 0x00, 0x01, 0xbc, 0x00, 0x12, 0xe1,
    0xff, 0x00, 0x00, 0x00, 0x08, 0x03, 0xc0, 0x00, 0x00, 0x01, 0xe0, 0x00, 0x00};

TEST(ProgramStreamHeaders, ListTheSystemHeadersAndTheMapsStreamsOnce) {
    EXPECT_EQ(AnnouncedProgramStreams(kMuxed.data(), kMuxed.size()), (Ids{0xc0, 0xe0}));
    // The map alone (no system header) names them as well.
    const std::vector<std::uint8_t> mapOnly(kMuxed.begin() + 32, kMuxed.end());
    EXPECT_EQ(AnnouncedProgramStreams(mapOnly.data(), mapOnly.size()), (Ids{0xc0, 0xe0}));
}

TEST(ProgramStreamHeaders, WildcardsAndPrivateStreamsAreListedAsTheyStand) {
    // A DVD-style system header (ISO/IEC 13818-1 2.5.3.5): all video (0xb9),
    // all audio (0xb8), private stream 1 (0xbd) and 2 (0xbf).
    const std::vector<std::uint8_t> dvd = {0x00, 0x00, 0x01, 0xbb, 0x00, 0x12, 0x80, 0xc4,
                                           0xe1, 0x04, 0xe1, 0xff, 0xb9, 0xe0, 0xe8, 0xb8,
                                           0xc0, 0x20, 0xbd, 0xe0, 0x3a, 0xbf, 0xe0, 0x02};
    EXPECT_EQ(AnnouncedProgramStreams(dvd.data(), dvd.size()), (Ids{0xb9, 0xb8, 0xbd, 0xbf}));
}

TEST(ProgramStreamHeaders, DamagedOrCutHeadersEndTheListWhereTheyBreak) {
    // Cut inside the system header's second stream entry, before the map.
    EXPECT_EQ(AnnouncedProgramStreams(kMuxed.data(), 30), (Ids{0xc0}));
    // An entry without its stream id's top bit ends the list.
    auto bad = kMuxed;
    bad[26] = 0x40;
    bad[35] = 0x00;  // and no map
    EXPECT_TRUE(AnnouncedProgramStreams(bad.data(), bad.size()).empty());
    // A length that runs past the data is bounded by the data.
    auto longer = kMuxed;
    longer[18] = 0xff;
    EXPECT_EQ(AnnouncedProgramStreams(longer.data(), 32), (Ids{0xc0, 0xe0}));
    const std::vector<std::uint8_t> noise(64, 0x55);
    EXPECT_TRUE(AnnouncedProgramStreams(noise.data(), noise.size()).empty());
    EXPECT_TRUE(AnnouncedProgramStreams(nullptr, 10).empty());
}

// Program streams written by hand after ISO/IEC 13818-1 (2.5.3) and 11172-1:
// times in 90 kHz ticks.
using Bytes = std::vector<std::uint8_t>;
constexpr std::int64_t kSecond = 90000;

void Append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
}

// The five bytes of a PTS with the given 4-bit prefix and marker bits.
Bytes Pts(std::int64_t pts, std::uint8_t prefix = 0x2) {
    return {static_cast<std::uint8_t>(prefix << 4 | ((pts >> 29) & 0x0e) | 1),
            static_cast<std::uint8_t>(pts >> 22), static_cast<std::uint8_t>((pts >> 14) | 1),
            static_cast<std::uint8_t>(pts >> 7), static_cast<std::uint8_t>((pts << 1) | 1)};
}

// An MPEG-2 pack header (no stuffing).
Bytes Pack2() {
    return {0x00, 0x00, 0x01, 0xba, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xc3, 0xf8};
}
// An MPEG-1 pack header.
Bytes Pack1() {
    return {0x00, 0x00, 0x01, 0xba, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x1b, 0x91};
}

// A PES packet of `stream`: its header fields, then the payload.
Bytes Pes(std::uint8_t stream, const Bytes& header, const Bytes& payload) {
    const std::size_t length = header.size() + payload.size();
    Bytes out = {0x00,
                 0x00,
                 0x01,
                 stream,
                 static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(length)};
    Append(out, header);
    Append(out, payload);
    return out;
}

// An MPEG-2 PES packet, with a PTS when `pts` is not negative.
Bytes Pes2(std::uint8_t stream, std::int64_t pts, const Bytes& payload) {
    Bytes header = {0x81, static_cast<std::uint8_t>(pts >= 0 ? 0x80 : 0x00),
                    static_cast<std::uint8_t>(pts >= 0 ? 5 : 0)};
    if (pts >= 0) Append(header, Pts(pts));
    return Pes(stream, header, payload);
}

// An MPEG-1 PES packet: stuffing, a buffer size, then the PTS (or 0x0f).
Bytes Pes1(std::uint8_t stream, std::int64_t pts, const Bytes& payload) {
    Bytes header = {0xff, 0xff, 0x40, 0x20};
    if (pts >= 0)
        Append(header, Pts(pts));
    else
        header.push_back(0x0f);
    return Pes(stream, header, payload);
}

// A video sequence header with frame_rate_code `rate` (3: 25 pictures a second).
Bytes SequenceHeader(std::uint8_t rate) {
    return {0x00, 0x00, 0x01, 0xb3, 0x14, 0x00, 0xf0, static_cast<std::uint8_t>(0x10 | rate),
            0xff, 0xff, 0xe0, 0x00};
}

// `count` MPEG-1 layer II frames at 48 kHz and 192 kbit/s: 576 bytes, 1152
// samples (2160 ticks) each.
Bytes LayerTwoFrames(int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) {
        Bytes frame(576, 0x11);
        frame[0] = 0xff;
        frame[1] = 0xfd;
        frame[2] = 0xa4;
        frame[3] = 0x00;
        Append(out, frame);
    }
    return out;
}

std::int64_t Length(const Bytes& head, const Bytes& tail) {
    return ProgramStreamLength(head.data(), head.size(), tail.data(), tail.size());
}

TEST(ProgramStreamLength, RunsFromTheFirstTimeToTheEndOfTheLastPictureOrSound) {
    // Ten pictures at 25 a second from 0.5 s: the last is shown at 0.86 s
    // and until 0.9 s.
    Bytes file = Pack2();
    Append(file, Pes2(0xe0, kSecond / 2, SequenceHeader(3)));
    for (int i = 1; i < 10; ++i) {
        Append(file, Pack2());
        Append(file, Pes2(0xe0, kSecond / 2 + i * 3600, Bytes(40, 0x22)));
        // A picture split over packets: only its first carries the time.
        Append(file, Pes2(0xe0, -1, Bytes(40, 0x22)));
    }
    EXPECT_EQ(Length(file, file), 10 * 3600);

    // Sound that outlasts the pictures: three frames in its last packet.
    Bytes av = file;
    Append(av, Pack2());
    Append(av, Pes2(0xc0, kSecond / 2, LayerTwoFrames(1)));
    Append(av, Pack2());
    Append(av, Pes2(0xc0, kSecond / 2 + 36000 - 2160, LayerTwoFrames(3)));
    EXPECT_EQ(Length(av, av), 36000 - 2160 + 3 * 2160);

    // MPEG-1 packs and packets, as old files and VCDs have them.
    Bytes mpeg1 = Pack1();
    Append(mpeg1, Pes1(0xe0, 9000, SequenceHeader(1)));  // 23.976 a second
    Append(mpeg1, Pack1());
    Append(mpeg1, Pes1(0xe0, -1, Bytes(30, 0x33)));
    Append(mpeg1, Pack1());
    Append(mpeg1, Pes1(0xe0, 9000 + 3 * 3754, Bytes(30, 0x33)));
    EXPECT_EQ(Length(mpeg1, mpeg1), 3 * 3754 + 3754);  // 90000 * 1001 / 24000 = 3753.75
}

TEST(ProgramStreamLength, AnAc3StreamCountsTheFramesItsPacketsAnnounce) {
    // Private stream 1, sub-stream 0x80: two frames begin in the packet,
    // each 1536 samples at 48 kHz (2880 ticks).
    Bytes payload = {0x80, 0x02, 0x00, 0x01, 0x0b, 0x77, 0x00, 0x00, 0x04};
    payload.resize(200, 0x44);
    Bytes file = Pack2();
    Append(file, Pes2(0xbd, 1000, payload));
    Append(file, Pack2());
    Append(file, Pes2(0xbd, 1000 + 2 * 2880, payload));
    EXPECT_EQ(Length(file, file), 4 * 2880);
}

TEST(ProgramStreamLength, TimesPastTheClocksWrapCountOn) {
    const std::int64_t wrap = std::int64_t{1} << 33;
    Bytes head = Pack2();
    Append(head, Pes2(0xe0, wrap - 2 * 3600, SequenceHeader(3)));
    Bytes tail = Pack2();
    Append(tail, Pes2(0xe0, 3 * 3600, Bytes(10, 0x22)));
    EXPECT_EQ(Length(head, tail), 6 * 3600);
}

TEST(ProgramStreamLength, ATailCutAnywhereIsReadFromItsFirstWholePack) {
    Bytes head = Pack2();
    Append(head, Pes2(0xe0, 0, SequenceHeader(3)));
    // Data that looks like a packet with a time of 100 s, inside the
    // payload of a packet the tail starts in the middle of.
    Bytes lure = {0x00, 0x00, 0x01, 0xe0, 0x00, 0x08, 0x81, 0x80, 0x05};
    Append(lure, Pts(100 * kSecond));
    Bytes tail = lure;
    Append(tail, Pack2());
    Append(tail, Pes2(0xe0, 2 * 3600, Bytes(10, 0x22)));
    // A last packet cut short carries no time that is read.
    Bytes cut = Pack2();
    Append(cut, Pes2(0xe0, 50 * kSecond, Bytes(100, 0x22)));
    cut.resize(cut.size() - 20);
    Append(tail, cut);
    EXPECT_EQ(Length(head, tail), 3 * 3600);
    // Damage between packets: reading resumes at the next pack.
    Bytes damaged = Pack2();
    Append(damaged, {0x12, 0x34, 0x56});
    Append(damaged, Pack2());
    Append(damaged, Pes2(0xe0, 4 * 3600, Bytes(10, 0x22)));
    EXPECT_EQ(Length(head, damaged), 5 * 3600);
}

TEST(ProgramStreamLength, WithoutTimesThereIsNoLength) {
    Bytes none = Pack2();
    Append(none, Pes2(0xe0, -1, SequenceHeader(3)));
    EXPECT_EQ(Length(none, none), -1);
    const Bytes noise(4096, 0x00);
    EXPECT_EQ(Length(noise, noise), -1);
    EXPECT_EQ(ProgramStreamLength(nullptr, 0, nullptr, 0), -1);
    // Files joined end to end: the tail's times lie before the head's first
    // and far from the clock's wrap, so they tell no length.
    Bytes late = Pack2();
    Append(late, Pes2(0xe0, 600 * kSecond, SequenceHeader(3)));
    Bytes early = Pack2();
    Append(early, Pes2(0xe0, 2 * kSecond, Bytes(4)));
    EXPECT_EQ(Length(late, early), -1);
}

}  // namespace
}  // namespace quova::engine
