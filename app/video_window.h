#pragma once

#include <string>
#include <utility>

#include "app/video_commands.h"
#include "app/video_layout.h"

class QWidget;
class QSlider;
class QTimer;

namespace quova {

struct PlayerSession;

// What the picture's placement needs from the window's other parts. An
// interface, not a set of optional callbacks: a host that leaves one out does
// not build, where an unset callback silently did nothing.
class VideoWindowHost {
  public:
    // Where the subtitles are while loaded and shown (None when they are not).
    virtual SubtitlePlace SubtitlePlacement() const = 0;
    virtual void ClearOsdLine() = 0;
    virtual void ClearSubtitleArea() = 0;
    virtual void RedrawSubtitle() = 0;
    // Paints the OSD line now, when the OSD is on.
    virtual void PaintOsd() = 0;
    virtual void ShowTip(int tip) = 0;
    // Changes the OSD font size by this many points.
    virtual void StepOsdFont(int points) = 0;
    // The picture size the medium's header states; 0 x 0 when unknown.
    virtual std::pair<int, int> HeaderSize() const = 0;

  protected:
    ~VideoWindowHost() = default;
};

// Applies the placement of the picture to the main window, its video window
// and the bars that depend on its size; runs the geometry commands.
class VideoWindowLayout {
  public:
    // `window` is the main window; the seek bar, volume bar and buttons are
    // its children found by name.
    VideoWindowLayout(PlayerSession& session, QWidget* window, QTimer* timer1,
                      VideoWindowHost& host);

    // Where the picture is within the window, and its zoom, aspect, crop and pan.
    VideoGeometry& geometry() { return geometry_; }

    void LayoutVideo();
    void MeasureFrame();
    void PlaceSeekBar();
    void SetupSeekBar();
    void SetAspect(double factor);
    void FormResize();
    // The minimum outer size of the window, kept by the window system.
    void FormCanResize();
    void DisplayChanged();

    // Zoom.
    void N1x1Click(int tag);
    void ZoomIn1Click();
    void ZoomOut1Click();
    void ZoomToWindow1Click();
    void ResizetoMedia1Click();
    // Pan by tag: 1 up, 2 down, 3 left, 4 right.
    void Up1Click(int tag);
    // Aspect.
    void Original1Click() { SetAspect(1.0); }
    void FillScreen1Click();
    void Window1Click();
    void Header1Click();
    void StretchWidth1Click();
    void CompressWidth1Click();
    void DoubleHeight1Click();
    void HalfHeight1Click();
    void Revert169431Click();
    void Revert431691Click();
    // Crop.
    void Original2Click();
    void Crop2Click();
    void Uncrop1Click();
    void Crop3Click();
    void Uncrop2Click();
    void ApplyCrop();
    // Full screen and display modes.
    void ToggleFullScreen();
    void ApplyFullScreen();
    void FullScreen1Click();
    void Force16bits1Click();
    void N800x6001Click();
    void N640x4801Click();
    // The first placement of start-up: the windowed placement to return to is
    // the window's own, and the form the settings ask for is applied.
    void FirstPlacement();

  private:
    PlayerSession& session_;
    void ZoomTo(double zoom, bool resetPan);
    void ShowStatus(const std::string& text);
    LayoutState State() const;
    QSlider* seekBar() const;
    QSlider* volumeBar() const;
    QWidget* child(const char* name) const;

    QWidget* window_;
    QTimer* timer1_;
    VideoWindowHost& host_;
    VideoGeometry geometry_;
};

}  // namespace quova
