#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/engine/dvd_state.h"
#include "platform/engine/dvd_types.h"
#include "platform/engine/filter.h"
#include "platform/engine/graph_events.h"

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstBuffer GstBuffer;
typedef struct dvdnav_s dvdnav_t;

namespace quova::engine {

// What the disc's information files say, read once when the volume opens.
struct DvdDiscFacts;

// The DVD navigator: reads the volume through libdvdnav on its own thread,
// follows the disc's program (menus, stills, cells, commands) and feeds the
// decoded picture, with sub-pictures and menu highlights blended on, from
// its "Video" pin and the chosen audio stream from its "Audio" pin.
//
// The control and information calls (the IDvdControl2 and IDvdInfo2 faces)
// are made on the UI thread; the navigator's events reach the graph's event
// queue through the graph's bus. Times on the timeline the decoders see are
// made continuous across cells and jumps, so the renderers play a disc like
// one endless stream.
class DvdNavigatorFilter : public Filter {
  public:
    explicit DvdNavigatorFilter(FilterInfo info);
    ~DvdNavigatorFilter() override;

    // Opens the volume: a folder holding VIDEO_TS, the VIDEO_TS folder, an
    // image file or a device. VFW_E_DVD_INVALID_DISC when it is none.
    HResult Load(const std::string& path);
    const std::string& VolumePath() const { return path_; }

    void CreatePins() override;

    // --- Control (IDvdControl2)
    HResult PlayTitle(std::uint32_t title, std::uint32_t flags = 0);
    HResult PlayChapterInTitle(std::uint32_t title, std::uint32_t chapter, std::uint32_t flags = 0);
    HResult PlayAtTime(const DVD_HMSF_TIMECODE& time, std::uint32_t flags = 0);
    HResult PlayNextChapter(std::uint32_t flags = 0);
    HResult PlayPrevChapter(std::uint32_t flags = 0);
    HResult ShowMenu(std::uint32_t menu, std::uint32_t flags = 0);
    HResult Resume(std::uint32_t flags = 0);
    // Positions are on the native picture (720 wide).
    HResult SelectAtPosition(int x, int y);
    HResult ActivateAtPosition(int x, int y);
    HResult SelectRelativeButton(std::uint32_t direction);
    HResult SelectButton(std::uint32_t button);
    HResult ActivateButton();
    // Speeds of 0.1 and up; 1 is normal play.
    HResult PlayForwards(double speed, std::uint32_t flags = 0);
    HResult PlayBackwards(double speed, std::uint32_t flags = 0);
    HResult SelectAngle(std::uint32_t angle, std::uint32_t flags = 0);
    HResult SelectAudioStream(std::uint32_t stream, std::uint32_t flags = 0);
    HResult SelectSubpictureStream(std::uint32_t stream, std::uint32_t flags = 0);
    HResult SetSubpictureState(bool on, std::uint32_t flags = 0);
    HResult StillOff();
    HResult AcceptParentalLevelChange(bool accept);
    HResult SetOption(std::uint32_t option, bool on);
    // The player's parental level: 1..8, or kNoParentalLevel.
    HResult SelectParentalLevel(std::uint32_t level);
    HResult SetState(const std::string& state, std::uint32_t flags = 0);

    // --- Information (IDvdInfo2)
    Outcome<std::uint32_t> GetCurrentDomain() const;
    Outcome<DVD_PLAYBACK_LOCATION2> GetCurrentLocation() const;
    Outcome<DVD_HMSF_TIMECODE> GetTotalTitleTime() const;
    Outcome<DvdVolumeInfo> GetDVDVolumeInfo() const;
    Outcome<std::uint32_t> GetNumberOfChapters(std::uint32_t title) const;
    Outcome<DvdStreamChoice> GetCurrentAudio() const;
    Outcome<bool> IsAudioStreamEnabled(std::uint32_t stream) const;
    Outcome<DVD_AudioAttributes> GetAudioAttributes(std::uint32_t stream) const;
    Outcome<std::uint16_t> GetAudioLanguage(std::uint32_t stream) const;
    Outcome<DvdStreamChoice> GetCurrentSubpicture() const;
    Outcome<bool> IsSubpictureStreamEnabled(std::uint32_t stream) const;
    Outcome<DVD_SubpictureAttributes> GetSubpictureAttributes(std::uint32_t stream) const;
    Outcome<std::uint16_t> GetSubpictureLanguage(std::uint32_t stream) const;
    Outcome<DvdStreamChoice> GetCurrentAngle() const;
    Outcome<DVD_VideoAttributes> GetCurrentVideoAttributes() const;
    Outcome<std::uint32_t> GetCurrentUOPS() const;
    Outcome<std::uint32_t> GetCurrentButton() const;
    Outcome<std::uint32_t> GetPlayerParentalLevel() const;
    Outcome<std::uint32_t> GetTitleParentalLevels(std::uint32_t title) const;
    // A number that names the disc: the same for every copy of the volume.
    Outcome<std::uint64_t> GetDiscID() const;
    Outcome<std::string> GetState() const;
    double Rate() const { return rate_.load(); }
    bool InStill() const { return inStill_.load(); }

    // Engine side.
    void Realising() override;

  private:
    struct Branch;
    struct Anchor {
        std::int64_t running = 0;  // ns on the renderers' timeline
        std::uint32_t domain = 0, title = 0, chapter = 0;
        std::int64_t titleTime = 0;  // 90 kHz
    };

    void Build();
    void ReadLoop();
    // Each returns false when the reader must stop for now.
    bool HandleBlock(int event, const std::uint8_t* data, int length,
                     std::unique_lock<std::mutex>& lock);
    bool PushPacket(GstElement* src, const std::uint8_t* data, std::size_t size, bool hasPts,
                    std::int64_t pts90k, std::unique_lock<std::mutex>& lock);
    void NavPacket();
    void CellChanged();
    void UpdateStreams();
    void SendHighlight();
    void CatchUpWithTheBlender();
    void SendSubpictureMode();
    void ClearSubpicture();
    void WaitInStill(int seconds, bool buttons, std::unique_lock<std::mutex>& lock);
    void Jumped();
    void Post(long code, std::intptr_t param1, std::intptr_t param2);
    std::int64_t NowRunning() const;
    std::int64_t Running(std::int64_t pts90k) const;
    std::uint32_t DomainLocked() const;
    int PhysicalAudio(int logical) const;
    int PhysicalSubpicture(int logical) const;
    HResult CheckUop(std::uint32_t flag) const;
    void Started();

    std::string path_;
    std::shared_ptr<DvdDiscFacts> facts_;
    dvdnav_t* nav_ = nullptr;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::thread reader_;
    bool quit_ = false;
    bool running_ = false;  // the appsrcs take data
    bool stopped_ = false;  // the disc's program ended or failed
    bool stillOff_ = false;
    bool stillButtons_ = false;
    std::chrono::steady_clock::time_point stillEnds_;
    std::chrono::steady_clock::time_point lastHop_;
    std::atomic<bool> inStill_{false};
    std::atomic<std::uint64_t> generation_{1};
    std::atomic<double> rate_{1.0};

    GstElement* videoSrc_ = nullptr;
    GstElement* spuSrc_ = nullptr;
    GstElement* audioSrc_[4] = {};  // AC-3, MPEG, LPCM, DTS
    GstElement* selector_ = nullptr;
    GstPad* selectorPads_[4] = {};
    GstElement* spu_ = nullptr;
    int selectedBranch_ = -1;

    // Reader side: the timeline.
    std::int64_t segPts_ = -1;  // 90 kHz; -1 until the first VOBU after a jump
    std::int64_t segNs_ = 0;
    std::int64_t lastEndPts_ = -1;  // 90 kHz, the previous VOBU's end
    std::int64_t lastEndNs_ = 0;
    bool discontinuity_ = true;

    // Where the reader stands (under lock_).
    std::uint32_t domain_ = 0, title_ = 0, chapter_ = 0, angle_ = 1, angles_ = 1;
    std::int64_t titleTime_ = 0;
    std::uint32_t uops_ = 0;
    int audioPhysical_ = -1, spuPhysical_ = -1;
    int announcedAudio_ = -2, announcedSpu_ = -2;
    bool spuShown_ = false;
    int sentButton_ = -1;
    // Whether the blender has learnt the sub-picture stream's format since
    // the graph was built (see CatchUpWithTheBlender).
    bool blenderKnowsFormat_ = false;
    int userAudio_ = -1, userSpu_ = -1, userSpuOn_ = -1;
    std::uint32_t lastSecond_ = 0xFFFFFFFF;
    int badReads_ = 0;

    // Options and the player's parental level.
    bool hmsfEvents_ = false;
    bool parentalEvents_ = false;
    std::uint32_t parentalLevel_ = kNoParentalLevel;

    // What the renderers show now.
    mutable std::mutex anchorLock_;
    std::deque<Anchor> anchors_;
    Anchor played_;
    std::int64_t playedNs_ = 0;
    bool havePlayed_ = false;

    friend struct DvdNavigatorProbe;
};

}  // namespace quova::engine
