#pragma once

#include "graph/open_media_port.h"
#include "text/subtitle_port.h"

namespace quova {

class TQuovaForm;

// The window's side of every port the lower parts call up through: the one
// place where the graph, playback and text reach the window, its menu and
// the settings. The window makes one at start-up and connects it.
class PlayerPorts final : public OpenMediaPort, public SubtitlePort {
  public:
    explicit PlayerPorts(TQuovaForm& form);
    ~PlayerPorts() override;
    PlayerPorts(const PlayerPorts&) = delete;
    PlayerPorts& operator=(const PlayerPorts&) = delete;

    // OpenMediaPort
    OpenMediaSettings Settings() override;
    QWidget* Window() override;
    void PaintOsd() override;
    void SetTimer1(bool on) override;
    void ShowCaption(const std::string& caption) override;
    void LoadPlayList(const std::string& listFile) override;
    void ShowAudioStreamItem(int n, bool checked, bool visible) override;
    void CheckAudioStreamItem(int n) override;
    void SetAudioStreamCheck(int index, bool checked) override;
    void ApplyVolume() override;
    void RecordFrameSize() override;
    void ResetScanStep() override;
    void ReadConfigs() override;
    void FitWindow() override;
    void Repaint() override;
    void PrepareSeekBar() override;
    void AddRecentFile(const std::string& fileName) override;
    void ShowId3Tag() override;
    void SeekTo(double seconds) override;
    void RaiseWindow() override;
    void SaveSessionBookmark() override;

    // SubtitlePort
    bool& Option(SubtitleOption option) override;
    bool MediaFileOpen() override;
    std::string MovieName() override;
    double Duration() override;
    double FrameRate() override;
    bool Position(double& seconds) override;
    void DrawSubtitle(const std::string& text) override;
    void EnableSubtitleAdjust(bool enabled) override;
    void LayoutVideo() override;
    void ShowTip(int tip) override;
    void ReportError(const std::string& text) override;

  private:
    TQuovaForm& form_;
};

// Whether every port is connected: false is a wiring fault found at start-up.
bool PortsConnected();

}  // namespace quova
