#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/osd_message.h"

namespace quova {

// The message seen at the previous tick and for how many ticks in a row it
// has stayed the same.
inline std::string OsdLastMessage;
inline int OsdMessageAge = 0;
// The OSD text colour as 0xRRGGBB; pure green at start, not saved.
inline std::uint32_t OsdColor = 0x00FF00;
// The subtitle text colour as 0xRRGGBB.
inline std::uint32_t SubtitleColor = 0xFFFFFF;

// The way every part reports a status: the text becomes the OSD message and
// is drawn at once (through the subtitle port) when the OSD is on.
void ShowOsdMessage(const std::string& text);

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
void OsdExpiryTick();

// The pieces of a "|"-separated text, in order.
std::vector<std::string> SplitOsdLines(const std::string& text);

// The font size after a step of one point: sizes outside 7..47 are refused
// and `points` comes back unchanged.
int StepFontPoints(int points, int step);

}  // namespace quova
