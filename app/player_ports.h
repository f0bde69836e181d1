#pragma once

#include "graph/open_media_port.h"
#include "playback/player_port.h"
#include "text/subtitle_port.h"

namespace quova {

struct PlayerSession;

class TQuovaForm;

// The window's side of every port the lower parts call up through: the one
// place where the graph, playback and text reach the window, its menu and
// the settings. The window makes one at start-up and connects it.
class PlayerPorts final : public OpenMediaPort, public PlayerPort, public SubtitlePort {
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
    void NetworkMediumFailed(const std::string& address) override;
    void ShowAudioStreamItem(int n, bool checked, bool visible) override;
    void CheckAudioStreamItem(int n) override;
    void SetAudioStreamCheck(int index, bool checked) override;
    void ApplyVolume() override;
    void RecordFrameSize() override;
    void ReadConfigs() override;
    void FitWindow() override;
    void Repaint() override;
    void PrepareSeekBar() override;
    void AddRecentFile(const std::string& fileName) override;
    void ShowId3Tag() override;
    void RaiseWindow() override;

    // PlayerPort (PaintOsd and ApplyVolume are shared with OpenMediaPort)
    TransportSettings TransportOptions() override;
    void SetTopmost(bool on) override;
    void ShowSeekBar() override;
    void KeepDisplayOn() override;
    void ContinuePlayList() override;
    void Seeked(double seconds) override;
    BookmarkSettings BookmarkOptions() override;
    void StoreBookmarkOptions(const BookmarkSettings& settings) override;
    void ApplyCropAndLayout() override;
    void ApplyFullScreen() override;
    void OpenMedia(const std::string& fileName) override;
    std::string AskSaveName(const std::string& title, const std::string& proposed) override;
    std::string AskOpenName(const std::string& title, const std::string& start) override;
    std::string SessionBookmarkFile() override;
    void OfferResume(const std::string& place, bool resumed) override;
    void CloseResumeOffer() override;
    void RememberResumeChoice(bool resume) override;
    void HidePointer(bool hide) override;
    void ShowDvdAudioItems(const std::vector<DvdStreamItem>& items) override;
    void ShowDvdSubpictureItems(const std::vector<DvdStreamItem>& items) override;
    void EnableRootButton(bool enabled) override;

    // SubtitlePort
    bool& Option(SubtitleOption option) override;
    void DrawSubtitle(const std::string& text) override;
    void EnableSubtitleAdjust(bool enabled) override;
    void ShowSubtitleSources(const std::vector<SubtitleSourceItem>& items) override;
    void LayoutVideo() override;
    void ShowTip(int tip) override;
    void ReportError(const std::string& text) override;

  private:
    // The open's own seek to where playback starts: no seek the desktop asked
    // for, so the media-player bus does not announce it.
    TQuovaForm& form_;
    PlayerSession& session_;
};

// Whether every port of the session is connected: false is a wiring fault
// found at start-up.
bool PortsConnected(const PlayerSession& session);

}  // namespace quova
