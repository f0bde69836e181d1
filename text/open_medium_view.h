#pragma once

#include <string>
#include <utility>

namespace quova {

// What the OSD and the subtitles may know of the open medium: read only, and
// nothing of the window. The player session answers it from the graph and
// the transport.
class OpenMediumView {
  public:
    // A media file (not a DVD) is open.
    virtual bool MediaFileOpen() const = 0;
    // The name the open medium was opened under.
    virtual std::string MovieName() const = 0;
    virtual double Duration() const = 0;
    virtual double FrameRate() const = 0;
    // The open movie's picture size in pixels; 0 x 0 without a picture.
    virtual std::pair<int, int> VideoSize() const = 0;
    // The position of the open medium in seconds; false when nothing is
    // open that could tell it.
    virtual bool Position(double& seconds) const = 0;

  protected:
    ~OpenMediumView() = default;
};

}  // namespace quova
