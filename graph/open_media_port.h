#pragma once

#include <cstdint>
#include <string>

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
    // Audio streams of an Ogg file are switched by the splitter's selection.
    bool OggStreamSelect = false;
    // The DVD player's parental level: 1..8, or none (0xFFFFFFFF).
    std::uint32_t DvdParentalLevel = 0xFFFFFFFF;
};

// What opening a medium needs from the parts above the graph: the window,
// the settings, playback and the user interface. The graph never reaches
// them any other way, so this is the whole of what an open can do to them.
class OpenMediaPort {
  public:
    virtual ~OpenMediaPort() = default;

    virtual OpenMediaSettings Settings() = 0;
    // The window that owns the picture, takes the mouse and keys over it and
    // receives the graph's events.
    virtual QWidget* Window() = 0;
    // Draws the OSD line at once.
    virtual void PaintOsd() = 0;
    // Starts or stops the polling timer.
    virtual void SetTimer1(bool on) = 0;
    // Shows the caption as the application title, the window caption and
    // the notification-area tip.
    virtual void ShowCaption(const std::string& caption) = 0;
    // A play-list file or a folder: its entries (the folder's media files)
    // become the current list and one of them is opened in turn.
    virtual void LoadPlayList(const std::string& listFile) = 0;
    // Audio-stream menu item n (1 to 4): checked, and made visible or hidden.
    virtual void ShowAudioStreamItem(int n, bool checked, bool visible) = 0;
    // Audio-stream menu item n checked, its visibility left alone.
    virtual void CheckAudioStreamItem(int n) = 0;
    // Check mark of audio-stream menu item `index` (0 to 3), shown at once.
    virtual void SetAudioStreamCheck(int index, bool checked) = 0;
    // Sets the graph's audio to the volume setting.
    virtual void ApplyVolume() = 0;
    // Takes the picture's size over for the layout.
    virtual void RecordFrameSize() = 0;
    // The per-movie settings beside the medium.
    virtual void ReadConfigs() = 0;
    // Lays the picture out anew.
    virtual void FitWindow() = 0;
    virtual void Repaint() = 0;
    // The seek bar takes the new medium's length.
    virtual void PrepareSeekBar() = 0;
    virtual void AddRecentFile(const std::string& fileName) = 0;
    // The open file's ID3 tag goes to the user.
    virtual void ShowId3Tag() = 0;
    virtual void RaiseWindow() = 0;
    // An address could not be played (the server failed it, or nothing
    // answered); the user has been told. A play list goes on past it.
    virtual void NetworkMediumFailed(const std::string& address) = 0;
};

}  // namespace quova
