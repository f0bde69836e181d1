#pragma once

#include <cstdint>
#include <string>

class QPainter;
class QRect;

namespace quova {

// The text primitives the OSD, the subtitle line and the ID3 display draw
// with. Text goes in the painter's current font, on an opaque black cell
// whose top is at y.

// Paints the OSD strip, from the top down to `lineHeight` + 1, black.
void ClearOsdStrip(QPainter& painter, int clientWidth, int lineHeight);
// Paints the whole client area black.
void ClearClientArea(QPainter& painter, const QRect& client);

// Draws one line in the painter's pen colour. A negative x right-aligns the
// text |x| pixels from the right edge, 0 centres it, a positive x is the left.
void DrawOsdText(QPainter& painter, int clientWidth, int x, int y, const std::string& text);

// Draws a "|"-separated text line by line at the left margin, from y down,
// `lineHeight` + 1 pixels apart, in `color` (0xRRGGBB).
void DrawOsdLines(QPainter& painter, int clientWidth, int y, const std::string& text,
                  std::uint32_t color, int lineHeight);

// What the right end of the OSD line shows.
struct OsdClock {
    // A medium is open and can tell its position.
    bool available = false;
    double position = 0;
    double duration = 0;
    double frameRate = 25.0;
    int timeFormat = 0;
};

// Redraws the OSD line: the strip cleared, then (when the OSD is on) the
// message at the left and the time at the right.
void PaintOsd(QPainter& painter, int clientWidth, int lineHeight, bool osdOn,
              const std::string& message, std::uint32_t color, const OsdClock& clock);

}  // namespace quova
