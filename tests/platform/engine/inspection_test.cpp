#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/engine/filter_graph.h"
#include "platform/engine/graph_registration.h"
#include "platform/engine/media_detector.h"
#include "tests/platform/engine/engine_fixture.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

using testing::Media;

TEST(MediaDetector, CountsStreamsWithTheirTypesAndFrameRates) {
    MediaDetector detector;
    ASSERT_EQ(detector.SetFileName(Media::Get("avi-pcm2").string()), S_OK);
    ASSERT_EQ(detector.OutputStreams(), 3);
    int video = 0, audio = 0;
    for (int i = 0; i < detector.OutputStreams(); ++i) {
        ASSERT_EQ(detector.SetCurrentStream(i), S_OK);
        const Guid major = detector.StreamType().value;
        if (major == MEDIATYPE_Video) {
            ++video;
            EXPECT_DOUBLE_EQ(detector.FrameRate().value, 25.0);
        } else if (major == MEDIATYPE_Audio) {
            ++audio;
            EXPECT_EQ(detector.FrameRate().value, 0.0);
        }
    }
    EXPECT_EQ(video, 1);
    EXPECT_EQ(audio, 2);
    EXPECT_EQ(detector.SetCurrentStream(3), E_INVALIDARG);

    ASSERT_EQ(detector.SetFileName(Media::Get("mpeg-ps").string()), S_OK);
    EXPECT_EQ(detector.OutputStreams(), 2);

    quova::testing::TempDir dir;
    EXPECT_EQ(detector.SetFileName((dir / "none.mpg").string()), E_FILE_NOT_FOUND);
    EXPECT_EQ(detector.OutputStreams(), 0);
    quova::testing::WriteFile(dir / "junk.mpg", std::string(5000, 'x'));
    EXPECT_TRUE(Failed(detector.SetFileName((dir / "junk.mpg").string())));
}

// The open of a file asks both the graph and the detector about its streams:
// the detector takes the answer the graph's splitter read, and reads the file
// itself once the file changed.
TEST(MediaDetector, AFileTheGraphHasSplitIsNotReadAgainUntilItChanges) {
    quova::testing::TempDir dir;
    const auto file = dir / "film.avi";
    std::filesystem::copy_file(Media::Get("avi-pcm2"), file);
    {
        FilterGraph graph;
        ASSERT_EQ(graph.RenderFile(file.string()), S_OK);
    }
    // Same size, same time, other bytes: only a detector that does not read
    // the file again still finds the streams.
    const auto size = std::filesystem::file_size(file);
    const auto written = std::filesystem::last_write_time(file);
    quova::testing::WriteFile(file, std::string(size, 'x'));
    std::filesystem::last_write_time(file, written);

    MediaDetector detector;
    ASSERT_EQ(detector.SetFileName(file.string()), S_OK);
    ASSERT_EQ(detector.OutputStreams(), 3);
    std::vector<Guid> majors;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(detector.SetCurrentStream(i), S_OK);
        majors.push_back(detector.StreamType().value);
        const double expected = majors.back() == MEDIATYPE_Video ? 25.0 : 0.0;
        EXPECT_DOUBLE_EQ(detector.FrameRate().value, expected);
    }
    EXPECT_EQ(std::count(majors.begin(), majors.end(), MEDIATYPE_Video), 1);
    EXPECT_EQ(std::count(majors.begin(), majors.end(), MEDIATYPE_Audio), 2);

    std::filesystem::last_write_time(file, written + std::chrono::seconds(1));
    EXPECT_TRUE(Failed(detector.SetFileName(file.string()))) << "the changed file is read";
}

TEST(GraphRegistration, TheDotFileAppearsFollowsChangesAndDisappears) {
    FilterGraph graph;
    GraphRegistration registration;
    ASSERT_EQ(registration.Register(graph), S_OK);
    const auto path = registration.Path();
    EXPECT_EQ(path.parent_path(), GraphRegistration::Folder());
    EXPECT_EQ(path.filename().string().rfind("FilterGraph ", 0), 0u);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(quova::testing::ReadFile(path).find("AVI Splitter"), std::string::npos);

    ASSERT_EQ(graph.RenderFile(Media::Get("avi-pcm2").string()), S_OK);
    const std::string dot = quova::testing::ReadFile(path);
    EXPECT_EQ(dot.rfind("digraph", 0), 0u);
    EXPECT_NE(dot.find("AVI Splitter"), std::string::npos) << "kept current";
    EXPECT_NE(dot.find("->"), std::string::npos);

    registration.Revoke();
    EXPECT_FALSE(registration.IsRegistered());
    EXPECT_FALSE(std::filesystem::exists(path));
    // Changes after revocation write nothing.
    graph.RemoveFilter(graph.FindFilterByName("AVI Splitter"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(GraphRegistration, AGraphGoneBeforeItsRevocationIsNotTouched) {
    auto graph = std::make_unique<FilterGraph>();
    GraphRegistration registration;
    ASSERT_EQ(registration.Register(*graph), S_OK);
    const auto path = registration.Path();
    graph.reset();
    EXPECT_EQ(registration.NoteChange(), E_UNEXPECTED);
    registration.Revoke();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(BuildingLog, RecordsEachStepOfARender) {
    quova::testing::TempDir dir;
    FilterGraph graph;
    ASSERT_EQ(graph.SetLogFile((dir / "render.log").string()), S_OK);
    ASSERT_EQ(graph.RenderFile(Media::Get("ogg-theora").string()), S_OK);
    ASSERT_EQ(graph.SetLogFile(""), S_OK);
    graph.RenderFile(Media::Get("wav").string());
    const std::string log = quova::testing::ReadFile(dir / "render.log");
    EXPECT_NE(log.find("render file"), std::string::npos);
    EXPECT_NE(log.find("connected"), std::string::npos);
    EXPECT_NE(log.find("Ogg Splitter"), std::string::npos);
    EXPECT_EQ(log.find("a.wav"), std::string::npos) << "nothing after the log was closed";
    EXPECT_EQ(graph.SetLogFile((dir / "no" / "such" / "folder.log").string()), E_ACCESSDENIED);
}

}  // namespace
}  // namespace quova::engine
