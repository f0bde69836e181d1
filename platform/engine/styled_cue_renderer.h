#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace quova::engine {

// The script header an SSA/ASS stream carries in its caps (its styles and
// play resolution); "" when the caps hold none.
std::string StyledScriptHeader(const std::string& caps);

// Draws one SSA/ASS event ("ReadOrder, Layer, Style, Name, MarginL, MarginR,
// MarginV, Effect, Text") with the script's styles as libass lays it into a
// picture of `frame` size: a premultiplied ARGB image of that size,
// transparent where nothing is drawn (outlines and shadows keep their own
// alpha). A null image when it cannot be drawn.
QImage RenderStyledCue(const std::string& header, const std::string& event, const QSize& frame);

}  // namespace quova::engine
