#pragma once

#include <cstdint>

class QFont;
class QWidget;

namespace quova {

struct TextSession;

// What the OSD commands need of the main window: its options, its canvas
// font and the redraws that follow a change.
class OsdCommandHost {
  public:
    virtual ~OsdCommandHost() = default;
    virtual bool& OsdOn() = 0;
    virtual int& TimeFormat() = 0;
    virtual QFont& CanvasFont() = 0;
    virtual bool DvdOpen() const = 0;
    virtual QWidget* DialogParent() = 0;
    virtual void SetModalDialogOpen(bool open) = 0;
    // The subtitle box takes the canvas font; OsdLineHeight and OsdCharWidth
    // are measured again.
    virtual void FontChanged() = 0;
    virtual void LayoutVideo() = 0;
    // Draws the OSD line at once.
    virtual void PaintOsd() = 0;
    virtual void ClearOsdStrip() = 0;
    virtual void ClearClientArea() = 0;
    // The subtitle due now, when subtitles are loaded and on.
    virtual void RedrawSubtitle() = 0;
    // The ID3 display, when the open file has a tag and the display is on.
    virtual void RedrawId3() = 0;
};

// The canvas font's size in points (pixel sizes count at 96 dots per inch).
int FontPoints(const QFont& font);
void SetFontPoints(QFont& font, int points);

void OSD2Click(TextSession& session, OsdCommandHost& host);
void TimeFormat1Click(OsdCommandHost& host);
void Font1Click(OsdCommandHost& host);
void EnlargeFont1Click(OsdCommandHost& host);
void ReduceFont1Click(OsdCommandHost& host);
void Color2Click(TextSession& session, OsdCommandHost& host);

}  // namespace quova
