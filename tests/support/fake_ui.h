#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graph/open_media_port.h"
#include "text/subtitle_port.h"

namespace quova::testing {

// The window's side of the ports, for tests of the parts below the window:
// it records what they ask of the user interface and answers with the
// settings the test chose. Connected for its lifetime.
class FakeUi : public OpenMediaPort, public SubtitlePort {
  public:
    FakeUi();
    ~FakeUi() override;
    FakeUi(const FakeUi&) = delete;
    FakeUi& operator=(const FakeUi&) = delete;

    struct AudioItem {
        bool checked = false;
        bool visible = false;
    };

    OpenMediaSettings settings;
    // The window the graph draws into; a hidden one of its own when unset.
    QWidget* window = nullptr;
    std::vector<std::string> captions, playLists, recentFiles;
    std::array<AudioItem, 4> audioItems{};
    bool timer1 = false;
    int osdPaints = 0;
    // The OSD message at each paint.
    std::vector<std::string> osdShown;
    // By SubtitleOption: subtitles and chapters on, the rest off.
    std::array<bool, 6> options{true, false, true, false, false, false};
    bool mediaFileOpen = false;
    std::string movieName;
    double duration = 0, frameRate = 0;
    // Unset: nothing open can tell a position.
    std::optional<double> position;
    std::vector<std::string> drawn, errors;
    // The options as they stood at each drawing.
    std::vector<std::array<bool, 6>> optionsAtDraw;
    std::vector<bool> adjustEnabled;
    std::vector<int> tips;
    int sessionBookmarks = 0;

    OpenMediaSettings Settings() override { return settings; }
    QWidget* Window() override;
    void PaintOsd() override;
    void SetTimer1(bool on) override { timer1 = on; }
    void ShowCaption(const std::string& caption) override { captions.push_back(caption); }
    void LoadPlayList(const std::string& listFile) override { playLists.push_back(listFile); }
    void ShowAudioStreamItem(int n, bool checked, bool visible) override {
        audioItems[n - 1] = {checked, visible};
    }
    void CheckAudioStreamItem(int n) override { audioItems[n - 1].checked = true; }
    void SetAudioStreamCheck(int index, bool checked) override {
        audioItems[index].checked = checked;
    }
    // The graph at full level.
    void ApplyVolume() override;
    void RecordFrameSize() override {}
    void ResetScanStep() override {}
    void ReadConfigs() override {}
    void FitWindow() override {}
    void Repaint() override {}
    void PrepareSeekBar() override {}
    void AddRecentFile(const std::string& fileName) override { recentFiles.push_back(fileName); }
    void ShowId3Tag() override {}
    // Straight to the graph, without the transport's bookkeeping.
    void SeekTo(double seconds) override;
    void RaiseWindow() override {}
    void SaveSessionBookmark() override { ++sessionBookmarks; }

    bool& Option(SubtitleOption option) override { return options[static_cast<size_t>(option)]; }
    bool MediaFileOpen() override { return mediaFileOpen; }
    std::string MovieName() override { return movieName; }
    double Duration() override { return duration; }
    double FrameRate() override { return frameRate; }
    bool Position(double& seconds) override;
    void DrawSubtitle(const std::string& text) override {
        drawn.push_back(text);
        optionsAtDraw.push_back(options);
    }
    void EnableSubtitleAdjust(bool enabled) override { adjustEnabled.push_back(enabled); }
    void LayoutVideo() override {}
    void ShowTip(int tip) override { tips.push_back(tip); }
    void ReportError(const std::string& text) override { errors.push_back(text); }

  private:
    std::unique_ptr<QWidget> ownWindow_;
};

}  // namespace quova::testing
