// The streams an MPEG program stream's headers announce.
#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace
}  // namespace quova::engine
