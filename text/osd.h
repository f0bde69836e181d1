#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/text_session.h"

namespace quova {

// The way every part reports a status: the text becomes the OSD message and
// is drawn at once (through the subtitle port) when the OSD is on.
void ShowOsdMessage(TextSession& session, const std::string& text);

// Seconds as a clock time "hh:nn:ss"; a day or more wraps around.
std::string FormatSeconds(double seconds);

// The time text of `timeFormat` (0 position, 1 position / length,
// 2 remaining, 3 frames); "" for any other format. Without a length
// (`duration` <= 0) every format shows the position alone.
std::string OsdTimeText(int timeFormat, double position, double duration, double frameRate);

// The OSD text while a network medium's buffer fills, `percent` full.
std::string BufferingText(int percent);

// The time format after `timeFormat`: 0 follows 3.
int NextTimeFormat(int timeFormat);

// The message's life, counted at the end of every tick of the polling timer:
// a message unchanged for 12 ticks after the one that first saw it is emptied.
void OsdExpiryTick(TextSession& session);

// The pieces of a "|"-separated text, in order.
std::vector<std::string> SplitOsdLines(const std::string& text);

// The font size after a step of one point: sizes outside 7..47 are refused
// and `points` comes back unchanged.
int StepFontPoints(int points, int step);

}  // namespace quova
