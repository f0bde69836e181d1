#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/guid.h"
#include "platform/engine/pin.h"
#include "platform/engine/result.h"

class QObject;
class QWidget;

namespace quova {

// The settings an open reads, as they stand when it starts.
struct OpenMediaSettings {
    bool RegisterOnRot = false;
    bool RenderLog = false;
    std::string RenderLogFile;
    bool SubtitlesOn = true;
    bool OsdOn = false;
    bool Id3On = true;
    bool FullScreenMode = false;
    bool AlwaysOnTop = false;
    // The DVD player's parental level: 1..8, or none (0xFFFFFFFF).
    std::uint32_t DvdParentalLevel = 0xFFFFFFFF;
};

// The event type the graph announces its events with (the media event message).
inline constexpr int kMediaEventType = 1000 + 102;

// The operations of the player's other parts that opening a medium calls, in
// the order it calls them. Each is optional: an empty one does nothing (a
// build operation then counts as failed).
struct OpenMediaHooks {
    std::function<OpenMediaSettings()> Settings;
    // The window that owns the picture, takes the mouse and keys over it and
    // receives the graph's events.
    QWidget* Window = nullptr;
    QWidget* MessageDrain = nullptr;

    std::function<void()> PaintOsd;
    std::function<void(const std::string& folder)> OpenDvd;
    // A play-list file: its entries become the current list and one of them
    // is opened in turn.
    std::function<void(const std::string& listFile)> LoadPlayList;
    // Waits while the window stays responsive.
    std::function<void(int ms)> Wait;
    // Handles pending events once.
    std::function<void()> ProcessEvents;
    std::function<void(bool on)> SetTimer1;
    // The application title and the window caption.
    std::function<void(const std::string& caption)> SetCaption;
    std::function<void()> UpdateTrayTip;
    // Audio-stream menu item n (1 to 4): checked, and made visible or hidden.
    std::function<void(int n, bool checked, bool visible)> ShowAudioStreamItem;
    // Audio-stream menu item n checked, its visibility left alone.
    std::function<void(int n)> CheckAudioStreamItem;
    std::function<void()> ReleaseMultipleAudio;
    std::function<engine::HResult(const std::string& text, const engine::PinPtr& pin)> CustomBuild;
    std::function<engine::HResult(const engine::PinPtr& pin)> OpenMultipleAudio;
    std::function<bool(const std::string& fileName)> BuildExtractionGraph;
    std::function<void(const engine::Guid& majorType)> BypassMediaType;
    std::function<void()> ApplyVolume;
    std::function<void()> RecordFrameSize;
    std::function<void()> LoadSubtitles;
    std::function<void()> ResetScanStep;
    std::function<void()> ReadConfigs;
    std::function<void()> FitWindow;
    std::function<void()> ReadChapters;
    std::function<void()> ResetFilterCollection;
    std::function<void()> Repaint;
    std::function<void(double duration)> PrepareSeekBar;
    std::function<void(const std::string& fileName)> AddRecentFile;
    std::function<void()> ShowId3Tag;
    std::function<void(double seconds)> SeekTo;
    std::function<void()> RaiseWindow;
    // Writes the session bookmark of what is open (a movie or a DVD).
    std::function<void()> SaveSessionBookmark;
};

// The player's hooks; the main window fills them, each part its own.
OpenMediaHooks& MediaHooks();

// Opens a file medium and starts it: the one way every command opens a file.
// Does nothing while the program is starting. Every failure is reported and
// leaves the player idle but usable.
void OpenMedia(const std::string& fileName);

// Stops what plays (saving the session bookmark) and removes every filter.
void StopAndClearGraph();
void ReleaseRenderInterfaces();
// Lets the graph manager go with everything it holds.
void ReleaseGraph();

// The lower-case extension with its dot ("" when there is none).
std::string LowerExtension(const std::string& fileName);
// The name without its folder.
std::string NameWithoutFolder(const std::string& fileName);
// The folder of a name, up to and including its last "/".
std::string FolderOf(const std::string& fileName);

}  // namespace quova
