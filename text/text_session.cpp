#include "text/text_session.h"

#include "text/subtitle_tracks.h"

namespace quova {

TextSession::~TextSession() {
    LeaveSubtitleTracks(*this);
}

}  // namespace quova
