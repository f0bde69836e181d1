#pragma once

#include <string>

typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;
typedef struct _GstStructure GstStructure;

namespace quova::engine {

// The four-character code under which an OGM file carries video of these
// caps; empty for video it cannot carry (raw video, or a format without a
// Video for Windows code).
std::string OgmVideoFourCC(const GstStructure* caps);

// The compressed video an OGM file can carry. The caller owns the result.
GstCaps* OgmCarriableVideoCaps();

// A new element that turns compressed video frames into the packets of an
// OGM video stream: the stream header (type "video", four-character code,
// frame duration in 100 ns units, size), a comment header, then one packet
// per frame with the key-frame flag, all in the form the Ogg multiplexer
// takes as "application/x-ogm-video". Frames leave in decoding order.
GstElement* MakeOgmVideoPacker();

}  // namespace quova::engine
