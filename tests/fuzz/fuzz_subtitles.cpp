// Feeds arbitrary files through LoadSubtitleFile. The first three bytes pick
// the extension, the medium's length and its frame rate; the rest is the file.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "text/subtitle_loading.h"
#include "text/subtitle_port.h"
#include "text/text_session.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quova-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// A loaded file reports to the window; a fuzz run has none to draw in.
class NoWindow final : public quova::SubtitlePort, public quova::OpenMediumView {
  public:
    bool& Option(quova::SubtitleOption) override { return option_; }
    bool MediaFileOpen() const override { return false; }
    std::string MovieName() const override { return {}; }
    double Duration() const override { return 0; }
    double FrameRate() const override { return 0; }
    std::pair<int, int> VideoSize() const override { return {0, 0}; }
    bool Position(double&) const override { return false; }
    void DrawSubtitle(const std::string&) override {}
    void EnableSubtitleAdjust(bool) override {}
    void ShowSubtitleSources(const std::vector<quova::SubtitleSourceItem>&) override {}
    void LayoutVideo() override {}
    void PaintOsd() override {}
    void ShowTip(int) override {}
    void ReportError(const std::string&) override {}

  private:
    bool option_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static const char* const kExtensions[] = {".sub", ".srt", ".ssa", ".SRT"};
    static const double kFrameRates[] = {
        25.0, 23.976, 29.97, 0.0, -5.0, 1e-300, std::numeric_limits<double>::quiet_NaN(), 1e12};
    const std::filesystem::path file = Folder() / (std::string("input") + kExtensions[data[0] % 4]);
    // Up to about 21 minutes, or a broken length now and then.
    double duration = data[1] * 5.0;
    if (data[1] == 255) duration = std::numeric_limits<double>::quiet_NaN();
    if (data[1] == 254) duration = -1.0;
    const double frameRate = kFrameRates[data[2] % 8];
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 3), static_cast<std::streamsize>(size - 3));
    }
    quova::SubtitleTimetable table;
    quova::ResetSubtitles(table, duration);
    table.SubtitleFileName = file;
    static NoWindow window;
    quova::TextSession session;
    session.textPort.Connect(&window);
    session.medium.Connect(&window);
    const int count = quova::LoadSubtitleFile(session, table, frameRate);
    // Every slot must lead to a stored text.
    for (int32_t entry : table.SubtitleSlots)
        if (entry >= static_cast<int32_t>(table.SubtitleTexts.size()) || entry < -1 ||
            entry >= count)
            std::abort();
    return 0;
}
