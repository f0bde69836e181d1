#pragma once

#include <QImage>
#include <QPoint>
#include <string>
#include <vector>

class QFont;

namespace quova {

// The subtitle drawn inside the picture: the bottom of each line in the
// video window's coordinates, the first line highest. The lines stand one
// line height (+1) apart and the last one a line height above the window's
// bottom; a window reaching below the client area counts only half of the
// part below it, so that the text stays on screen.
std::vector<int> MovieSubtitleLineBottoms(int lines, int lineHeight, int pictureTop,
                                          int pictureHeight, int clientHeight);

// The image the video renderer lays over the picture for `text` ("|"
// separates lines): each line centred, black one pixel right and down under
// white one pixel left and up, on a transparent ground. `topLeft` receives
// where it goes in the video window. An empty text gives a null image.
QImage RenderMovieSubtitle(const std::string& text, const QFont& font, int pictureTop,
                           int pictureWidth, int pictureHeight, int clientHeight, QPoint* topLeft);

}  // namespace quova
