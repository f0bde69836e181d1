#pragma once

#include <QColor>
#include <QFont>
#include <string>

class QLabel;
class QMouseEvent;

namespace quova {

struct PlayerSession;

// Where the box over the picture stands for a text: its lines stack upward
// from just under the picture, moved by `offsetY`.
struct SubtitleBoxPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
SubtitleBoxPlace PlaceSubtitleBox(int lines, int widestLine, int pictureTop, int pictureHeight,
                                  int clientWidth, int lineHeight, int charWidth, int offsetY);

// Draws `text` ("|"-separated lines) in the black box `panel` over the
// picture; an empty text hides it.
void DrawSubtitleBox(PlayerSession& session, QLabel* panel, const std::string& text,
                     const QFont& font, QColor color, int pictureTop, int pictureHeight,
                     int lineHeight, int charWidth);

// The box drag: a press records the pointer's height in the box, each move
// adds the pointer's distance from that height to SubtitleBoxOffsetY (the
// box follows, the pressed point staying under the pointer), a release ends
// it. Returns true when the box is to be redrawn.
bool SubtitleBoxMouse(PlayerSession& session, QMouseEvent* event);

}  // namespace quova
