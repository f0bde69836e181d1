#pragma once

#include <QImage>
#include <QSize>
#include <string>
#include <vector>

#include "platform/engine/text_tracks.h"

namespace quova::engine {

// The script header an SSA/ASS stream carries in its caps (its styles and
// play resolution); "" when the caps hold none.
std::string StyledScriptHeader(const std::string& caps);

// Draws one SSA/ASS event ("ReadOrder, Layer, Style, Name, MarginL, MarginR,
// MarginV, Effect, Text") with the script's styles as libass lays it into a
// picture of `frame` size: a premultiplied ARGB image of that size,
// transparent where nothing is drawn (outlines and shadows keep their own
// alpha), with `fonts` (the file's attachments) added to those installed. A
// null image when it cannot be drawn. Safe on any thread.
QImage RenderStyledCue(const std::string& header, const std::string& event, const QSize& frame,
                       const std::vector<FontAttachment>& fonts = {});

}  // namespace quova::engine
