#include "playback/dvd_bookmark_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <set>

#include "playback/bookmark_format.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using testing::TempDir;

std::string NavigatorState() {
    std::string state;
    for (int i = 0; i < 16; ++i) state.push_back(static_cast<char>(0xA0 + i));  // class identifier
    return state + "title=3;time=00:12:34";
}

std::string Record(const BookmarkSettings& s) {
    const auto r = EncodeDvdRecord(s);
    return std::string(r.begin(), r.end());
}

// Reads a compound file with libgsf alone: stream name to contents.
std::map<std::string, std::string> Streams(const std::filesystem::path& path) {
    std::map<std::string, std::string> streams;
    GsfInput* input = gsf_input_stdio_new(path.c_str(), nullptr);
    if (!input) return streams;
    GsfInfile* root = gsf_infile_msole_new(input, nullptr);
    if (root) {
        for (int i = 0; i < gsf_infile_num_children(root); ++i) {
            GsfInput* child = gsf_infile_child_by_index(root, i);
            std::string bytes(static_cast<std::size_t>(gsf_input_size(child)), '\0');
            gsf_input_read(child, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
            streams[gsf_infile_name_by_index(root, i)] = bytes;
            g_object_unref(child);
        }
        g_object_unref(root);
    }
    g_object_unref(input);
    return streams;
}

std::int64_t Field(const std::string& record, int i) {
    std::uint64_t v = 0;
    for (int b = 7; b >= 0; --b) v = (v << 8) | static_cast<std::uint8_t>(record[8 * i + b]);
    return static_cast<std::int64_t>(v);
}

TEST(DvdBookmarkFile, WrittenFileIsACompoundFileWithBothStreams) {
    TempDir dir;
    BookmarkSettings s;
    s.Volume = 33;
    s.ZoomFactor = 2.25;
    s.AspectFactor = 0.75;
    s.ResizeToMedia = true;
    s.FullScreenMode = true;
    s.CropY = 12;
    s.CropX = 6;
    const auto path = dir / "disc.mpk";
    ASSERT_EQ(WriteDvdBookmarkFile(path, NavigatorState(), Record(s), nullptr), 0);

    const auto streams = Streams(path);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams.at("dvdnavigatorstate"), NavigatorState());
    const std::string& record = streams.at("quova1.1extension");
    ASSERT_EQ(record.size(), 48u);
    EXPECT_EQ(Field(record, 0), 33);
    EXPECT_EQ(Field(record, 1), 2250);
    EXPECT_EQ(Field(record, 2), 750);
    EXPECT_EQ(Field(record, 3), 4 | 8);
    EXPECT_EQ(Field(record, 4), 12);
    EXPECT_EQ(Field(record, 5), 6);

    const DvdBookmarkContent back = ReadDvdBookmarkFile(path);
    EXPECT_EQ(back.OpenResult, 0);
    EXPECT_EQ(back.NavigatorState, NavigatorState());
    EXPECT_EQ(back.ExtensionVersion, 11);
    EXPECT_EQ(back.Record, record);
}

TEST(DvdBookmarkFile, OlderExtensionStreamIsRead) {
    TempDir dir;
    const auto path = dir / "old.mpk";
    BookmarkSettings s;
    s.Volume = 90;
    const std::string record = Record(s).substr(0, 32);
    {
        GsfOutput* out = gsf_output_stdio_new(path.c_str(), nullptr);
        GsfOutfile* root = gsf_outfile_msole_new(out);
        for (auto [name, bytes] :
             {std::pair<const char*, std::string>{"dvdnavigatorstate", NavigatorState()},
              {"quova1.0extension", record}}) {
            GsfOutput* child = gsf_outfile_new_child(root, name, FALSE);
            gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
            gsf_output_close(child);
            g_object_unref(child);
        }
        gsf_output_close(GSF_OUTPUT(root));
        g_object_unref(root);
        g_object_unref(out);
    }
    const DvdBookmarkContent back = ReadDvdBookmarkFile(path);
    EXPECT_EQ(back.OpenResult, 0);
    EXPECT_EQ(back.ExtensionVersion, 10);
    ASSERT_EQ(back.Record, record);
    BookmarkSettings current;
    current.CropY = 5;
    const BookmarkSettings applied = ApplyDvdRecord(
        reinterpret_cast<const std::uint8_t*>(back.Record.data()), back.Record.size(), current);
    EXPECT_EQ(applied.Volume, 90);
    EXPECT_EQ(applied.CropY, 0);
}

TEST(DvdBookmarkFile, DamagedHostileAndForeignFilesAreRefused) {
    TempDir dir;
    EXPECT_LT(ReadDvdBookmarkFile(dir / "missing.mpk").OpenResult, 0);

    testing::WriteFile(dir / "text.mpk", "Quova1.1MovieBookmark\r\n[\r\n");
    EXPECT_LT(ReadDvdBookmarkFile(dir / "text.mpk").OpenResult, 0);

    ASSERT_EQ(WriteDvdBookmarkFile(dir / "good.mpk", NavigatorState(), Record({}), nullptr), 0);
    const std::string good = testing::ReadFile(dir / "good.mpk");
    testing::WriteFile(dir / "cut.mpk", good.substr(0, good.size() / 2));
    const DvdBookmarkContent cut = ReadDvdBookmarkFile(dir / "cut.mpk");
    EXPECT_TRUE(cut.OpenResult < 0 || cut.StateResult < 0 || cut.ExtensionReadResult < 0 ||
                cut.ExtensionOpenResult < 0);

    // Over the size limit: refused before the compound reader sees it.
    std::string huge = good;
    huge.resize(kMaxDvdBookmarkBytes + 1, '\0');
    testing::WriteFile(dir / "huge.mpk", huge);
    EXPECT_LT(ReadDvdBookmarkFile(dir / "huge.mpk").OpenResult, 0);

    // Every byte of the header flipped in turn: never a crash.
    for (std::size_t i = 0; i < 512; ++i) {
        std::string bent = good;
        bent[i] = static_cast<char>(bent[i] ^ 0xFF);
        (void)ReadDvdBookmarkBytes(bent);
    }
}

TEST(DvdBookmarkFile, SavingOverAnotherFileReplacesItWhole) {
    TempDir dir;
    const auto path = dir / "over.mpk";
    testing::WriteFile(path, "not a compound file");
    ASSERT_EQ(WriteDvdBookmarkFile(path, NavigatorState(), Record({}), nullptr), 0);
    EXPECT_EQ(Streams(path).size(), 2u);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // A folder that does not exist: the failure is told, nothing is made.
    std::string step;
    EXPECT_LT(WriteDvdBookmarkFile(dir / "no/such.mpk", NavigatorState(), Record({}), &step), 0);
    EXPECT_EQ(step, "create");
}

// In a folder others can write to, a name opened twice can be a different
// file the second time: a link planted between the two opens leads the
// writer into someone else's file. The temporary file is opened once, when
// it is created new, and never again by its name.
TEST(DvdBookmarkFile, TheTemporaryFileIsOpenedOnlyWhenItIsCreated) {
    TempDir dir;
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_OPEN), 0);
    ASSERT_EQ(WriteDvdBookmarkFile(dir / "film.mpk", NavigatorState(), Record({}), nullptr), 0);
    EXPECT_EQ(Streams(dir / "film.mpk").size(), 2u);

    std::map<std::string, int> opens;
    alignas(inotify_event) char buffer[16 * 1024];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0) ++opens[event->name];
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    int temporaries = 0;
    for (const auto& [name, count] : opens) {
        if (name == "film.mpk") continue;  // the test's own reading
        ++temporaries;
        EXPECT_EQ(count, 1) << name << " was opened again by its name";
    }
    EXPECT_EQ(temporaries, 1);
}

}  // namespace
}  // namespace quova
