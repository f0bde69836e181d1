#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graph/medium_playback.h"
#include "graph/open_media_port.h"
#include "playback/player_port.h"
#include "text/open_medium_view.h"
#include "text/subtitle_port.h"

namespace quova {
struct PlayerSession;
}

namespace quova::testing {

// The window's side of the ports, for tests of the parts below the window:
// it records what they ask of the user interface and answers with the
// settings the test chose. Connected into its session for its lifetime.
class FakeUi : public OpenMediaPort,
               public PlayerPort,
               public SubtitlePort,
               public OpenMediumView,
               public MediumPlayback {
  public:
    explicit FakeUi(PlayerSession& session);
    // The session the ports' calls down go to.
    PlayerSession& session;
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
    std::vector<std::string> captions, playLists, recentFiles, failedAddresses;
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
    std::pair<int, int> videoSize{0, 0};
    // Unset: nothing open can tell a position.
    std::optional<double> position;
    std::vector<std::string> drawn, errors;
    // The options as they stood at each drawing.
    std::vector<std::array<bool, 6>> optionsAtDraw;
    std::vector<bool> adjustEnabled;
    // The subtitle sources offered last.
    std::vector<SubtitleSourceItem> subtitleSources;
    std::vector<int> tips;
    int sessionBookmarks = 0;

    TransportSettings transport;
    std::vector<bool> topmost;
    int seekBarShown = 0, displayKeptOn = 0, playListContinued = 0, volumeApplied = 0,
        cropLayouts = 0;
    std::vector<double> seeked;
    // Runs at each seek after it is recorded, as a listener on the bus would.
    std::function<void(double seconds)> onSeeked;
    BookmarkSettings bookmark;
    // The full-screen setting at each switch.
    std::vector<bool> fullScreenApplied;
    std::vector<std::string> opened;
    // Whether an open the bookmarks ask for really opens the medium.
    bool opensMedia = true;
    // The names the bookmark dialogs answer with, and the titles they had.
    std::string saveName, openName;
    std::vector<std::string> dialogTitles;
    std::string sessionFile;
    struct ResumeOffer {
        std::string place;
        bool resumed = false;
    };
    std::vector<ResumeOffer> resumeOffers;
    int resumeOffersClosed = 0;
    std::vector<bool> resumeChoices;
    std::optional<bool> pointerHidden, rootButton;
    std::vector<DvdStreamItem> dvdAudioItems, dvdSubpictureItems;

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
    TransportSettings TransportOptions() override { return transport; }
    void SetTopmost(bool on) override { topmost.push_back(on); }
    void ShowSeekBar() override { ++seekBarShown; }
    void KeepDisplayOn() override { ++displayKeptOn; }
    void ContinuePlayList() override { ++playListContinued; }
    void Seeked(double seconds) override {
        seeked.push_back(seconds);
        if (onSeeked) onSeeked(seconds);
    }
    BookmarkSettings BookmarkOptions() override { return bookmark; }
    void StoreBookmarkOptions(const BookmarkSettings& settings) override { bookmark = settings; }
    void ApplyCropAndLayout() override { ++cropLayouts; }
    void ApplyFullScreen() override { fullScreenApplied.push_back(bookmark.FullScreenMode); }
    void OpenMedia(const std::string& fileName) override;
    std::string AskSaveName(const std::string& title, const std::string&) override {
        dialogTitles.push_back(title);
        return saveName;
    }
    std::string AskOpenName(const std::string& title, const std::string&) override {
        dialogTitles.push_back(title);
        return openName;
    }
    std::string SessionBookmarkFile() override { return sessionFile; }
    void OfferResume(const std::string& place, bool resumed) override {
        resumeOffers.push_back({place, resumed});
    }
    void CloseResumeOffer() override { ++resumeOffersClosed; }
    // The choice becomes the default of the next offer, as the settings keep it.
    void RememberResumeChoice(bool resume) override {
        resumeChoices.push_back(resume);
        transport.ResumeByDefault = resume;
    }
    void HidePointer(bool hide) override { pointerHidden = hide; }
    void ShowDvdAudioItems(const std::vector<DvdStreamItem>& items) override {
        dvdAudioItems = items;
    }
    void ShowDvdSubpictureItems(const std::vector<DvdStreamItem>& items) override {
        dvdSubpictureItems = items;
    }
    void EnableRootButton(bool enabled) override { rootButton = enabled; }
    void RecordFrameSize() override {}
    void ReadConfigs() override {}
    void FitWindow() override {}
    void Repaint() override {}
    void PrepareSeekBar() override {}
    void AddRecentFile(const std::string& fileName) override { recentFiles.push_back(fileName); }
    void NetworkMediumFailed(const std::string& address) override {
        failedAddresses.push_back(address);
    }
    void ShowId3Tag() override {}
    // Straight to the graph, without the transport's bookkeeping.
    // MediumPlayback: the start is set on the graph alone; bookmarks are counted.
    void StartAt(double seconds) override;
    void EndScan() override {}
    void RaiseWindow() override {}
    void SaveSessionBookmark() override { ++sessionBookmarks; }
    double StartingPoint(double from) override { return from; }
    void Started() override {}
    void KeepPlace() override {}

    bool& Option(SubtitleOption option) override { return options[static_cast<size_t>(option)]; }
    // OpenMediumView: what the test says is open, not the graph.
    bool MediaFileOpen() const override { return mediaFileOpen; }
    std::string MovieName() const override { return movieName; }
    double Duration() const override { return duration; }
    double FrameRate() const override { return frameRate; }
    std::pair<int, int> VideoSize() const override { return videoSize; }
    bool Position(double& seconds) const override;
    void DrawSubtitle(const std::string& text) override {
        drawn.push_back(text);
        optionsAtDraw.push_back(options);
    }
    void EnableSubtitleAdjust(bool enabled) override { adjustEnabled.push_back(enabled); }
    void ShowSubtitleSources(const std::vector<SubtitleSourceItem>& items) override {
        subtitleSources = items;
    }
    void LayoutVideo() override {}
    void ShowTip(int tip) override { tips.push_back(tip); }
    void ReportError(const std::string& text) override { errors.push_back(text); }

  private:
    std::unique_ptr<QWidget> ownWindow_;
};

}  // namespace quova::testing
