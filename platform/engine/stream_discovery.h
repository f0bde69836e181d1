#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/engine/result.h"

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;

namespace quova::engine {

// One element of the chain that feeds a splitter, as GStreamer rebuilds it.
struct ChainStep {
    std::string factory;
    std::vector<std::pair<std::string, std::string>> properties;
    std::string sinkPad;  // the pad fed by the previous step (empty for the first)
    std::string srcPad;   // the pad that feeds the next step
};

struct DiscoveredStream {
    std::string padName;
    std::string caps;  // GStreamer caps in text form
};

// Links `pad` to a fake sink of its own in `bin` (no clock, no preroll), so
// that a look at a demuxer's streams lets their data flow away unused.
void DrainIntoFakeSink(GstElement* bin, GstPad* pad);

// Marks `bin` as a container that takes a demuxer's streams as it announces
// them in a stream collection: GStreamer 1.22's adaptive demuxers
// (hlsdemux2, dashdemux2) refuse to start inside any other, and the older
// ones take their place.
void StreamsAware(GstElement* bin);

// The most streams of one demuxer a graph takes, and a listing lists: each
// taken stream gets a queue and a thread, and a crafted file can announce
// thousands. Real films carry a few dozen at most.
inline constexpr size_t kMaxStreams = 128;

// The output streams a demuxer creates for the data of `upstream`, in the
// order it creates them, the first kMaxStreams of them (`leftOut`, where
// given, counts the others, whose data flow nowhere). Runs a private throw-away pipeline with a
// fake sink on each stream and stops as soon as every stream's caps are known (at most
// `timeoutMs`). Fails with the GStreamer error's result when the data cannot
// be read or split.
Outcome<std::vector<DiscoveredStream>> DiscoverStreams(const std::vector<ChainStep>& upstream,
                                                       const std::string& demuxFactory,
                                                       int timeoutMs = 4000,
                                                       size_t* leftOut = nullptr);

}  // namespace quova::engine
