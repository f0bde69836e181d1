#include "tests/platform/engine/engine_fixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include "tests/support/gst_media.h"

namespace quova::engine::testing {

namespace {

// The widgets and queued hand-offs need an application object.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_engine";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

quova::testing::TempDir& Media::Dir() {
    static quova::testing::TempDir dir;
    return dir;
}

const std::filesystem::path& Media::Get(const std::string& kind) {
    static std::map<std::string, std::filesystem::path> made;
    auto it = made.find(kind);
    if (it != made.end()) return it->second;
    namespace m = quova::testing::media;
    const auto& dir = Dir();
    std::filesystem::path path;
    if (kind == "avi-pcm2")
        path = m::AviPcm(dir / "pcm2.avi", 1.0, 2);
    else if (kind == "avi-mp3")
        path = m::AviMp3(dir / "mp3.avi", 1.0);
    else if (kind == "ogg-theora")
        path = m::OggTheoraVorbis(dir / "tv.ogg", 1.0);
    else if (kind == "ogg-vorbis")
        path = m::OggVorbis(dir / "v.ogg", 1.0);
    else if (kind == "wav")
        path = m::Wav(dir / "a.wav", 1.0);
    else if (kind == "mp3-id3")
        path = m::Mp3(dir / "tagged.mp3", 1.0, true);
    else if (kind == "mp3")
        path = m::Mp3(dir / "plain.mp3", 1.0, false);
    else if (kind == "mpeg-ps")
        path = m::MpegPs(dir / "ps.mpg", 1.0);
    else if (kind == "avi-pcm2-long")
        path = m::AviPcm(dir / "pcm2long.avi", 2.0, 2);
    return made[kind] = path;
}

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool WaitForEvent(FilterGraph& graph, long code, int ms, GraphEvent* got) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        auto e = graph.GetEvent(20);
        if (e.ok() && e.value.code == code) {
            if (got) *got = e.value;
            return true;
        }
        if (e.ok() && e.value.code == EC_ERRORABORT && code != EC_ERRORABORT) {
            if (got) *got = e.value;
            return false;
        }
    }
    return false;
}

std::string FilterNames(const FilterGraph& graph) {
    std::string out;
    for (const auto& f : graph.Filters()) out += (out.empty() ? "" : ", ") + f->Name();
    return out;
}

}  // namespace quova::engine::testing
