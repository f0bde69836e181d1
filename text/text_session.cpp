#include "text/text_session.h"

#include "text/subtitle_tracks.h"

namespace quova {

TextSession::TextSession() : trackRoad(NewSubtitleTrackRoad(*this)) {}

TextSession::~TextSession() = default;

}  // namespace quova
