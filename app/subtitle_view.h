#pragma once

#include <QFont>
#include <string>

#include "app/video_layout.h"

class QPainter;
class QWidget;

namespace quova {

struct PlayerSession;

// Where the main window draws a subtitle: into the picture, in the box over
// it, or in the band below it, as the options choose.
class SubtitleView {
  public:
    // `window` is the main window; its subtitle box is its child "Panel1".
    SubtitleView(QWidget& window, PlayerSession& session) : window_(window), session_(session) {}

    // Where the subtitles are while loaded and shown (None when they are not).
    SubtitlePlace Placement() const;
    // Shows `text`, drawn in `osdFont` fitted to the window's width.
    void Draw(const std::string& text, const QFont& osdFont);
    // Paints the band below the picture with the subtitle shown now.
    void PaintBand(QPainter& painter, const QFont& osdFont) const;

  private:
    // The OSD's font, smaller when the text is too wide for the window.
    QFont Font(const std::string& text, const QFont& osdFont) const;

    QWidget& window_;
    PlayerSession& session_;
};

}  // namespace quova
