#include "platform/files/media_name.h"

#include <gtest/gtest.h>

namespace quova {
namespace {

struct Row {
    const char* given;
    MediaNameKind kind;
    const char* name;
};

// Schemes follow RFC 3986 (letters, digits, "+-." after a first letter, any
// case); file addresses follow RFC 8089 (no host or "localhost").
const Row kRows[] = {
    // Web addresses are kept exactly as given.
    {"http://127.0.0.1:8080/a.avi", MediaNameKind::Network, "http://127.0.0.1:8080/a.avi"},
    {"https://example.org/films/a%20b.mkv?x=1", MediaNameKind::Network,
     "https://example.org/films/a%20b.mkv?x=1"},
    {"HTTP://Example.org/A.avi", MediaNameKind::Network, "HTTP://Example.org/A.avi"},
    {"http://user@[::1]:80/a.mkv", MediaNameKind::Network, "http://user@[::1]:80/a.mkv"},
    // A web address needs a host and may not hold spaces or control bytes.
    {"http:///a.avi", MediaNameKind::Refused, "http:///a.avi"},
    {"https://:8080/a.avi", MediaNameKind::Refused, "https://:8080/a.avi"},
    {"http://host/a b.avi", MediaNameKind::Refused, "http://host/a b.avi"},
    {"http://host/a\n.avi", MediaNameKind::Refused, "http://host/a\n.avi"},
    {"http://[::1/a.avi", MediaNameKind::Refused, "http://[::1/a.avi"},
    // Other schemes are refused.
    {"ftp://host/a.avi", MediaNameKind::Refused, "ftp://host/a.avi"},
    {"rtsp://host/live", MediaNameKind::Refused, "rtsp://host/live"},
    {"smb://host/share/a.avi", MediaNameKind::Refused, "smb://host/share/a.avi"},
    {"javascript://x", MediaNameKind::Refused, "javascript://x"},
    // file:// becomes the local path, escapes undone.
    {"file:///home/u/a.avi", MediaNameKind::LocalFile, "/home/u/a.avi"},
    {"file:///home/u/My%20Film%23.avi", MediaNameKind::LocalFile, "/home/u/My Film#.avi"},
    {"FILE://localhost/tmp/%C3%A9t%C3%A9.mkv", MediaNameKind::LocalFile,
     "/tmp/\xC3\xA9t\xC3\xA9.mkv"},
    {"file:///tmp/a.avi#frag", MediaNameKind::LocalFile, "/tmp/a.avi"},
    {"file://otherhost/tmp/a.avi", MediaNameKind::Refused, "file://otherhost/tmp/a.avi"},
    {"file:///tmp/a%00.avi", MediaNameKind::Refused, "file:///tmp/a%00.avi"},
    {"file:///tmp/a%2.avi", MediaNameKind::Refused, "file:///tmp/a%2.avi"},
    {"file:///tmp/a%zz.avi", MediaNameKind::Refused, "file:///tmp/a%zz.avi"},
    {"file://", MediaNameKind::Refused, "file://"},
    // Names that only look like addresses are local files.
    {"/home/u/a.avi", MediaNameKind::LocalFile, "/home/u/a.avi"},
    {"film:part1.avi", MediaNameKind::LocalFile, "film:part1.avi"},
    {"http:/host/a.avi", MediaNameKind::LocalFile, "http:/host/a.avi"},
    {"./http://host/a.avi", MediaNameKind::LocalFile, "./http://host/a.avi"},
    {"1http://host/a.avi", MediaNameKind::LocalFile, "1http://host/a.avi"},
    {"my film://a.avi", MediaNameKind::LocalFile, "my film://a.avi"},
    {"a%20b.avi", MediaNameKind::LocalFile, "a%20b.avi"},
};

TEST(MediaNameTest, NamesAreSortedIntoFilesAddressesAndRefusals) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.given);
        const MediaName got = ClassifyMediaName(row.given);
        EXPECT_EQ(got.kind, row.kind);
        EXPECT_EQ(got.name, row.name);
        EXPECT_EQ(IsNetworkAddress(row.given), row.kind == MediaNameKind::Network);
    }
}

}  // namespace
}  // namespace quova
