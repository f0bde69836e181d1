#pragma once

#include <map>

#include "platform/engine/filter.h"

namespace quova::engine {

// A demultiplexer as a filter whose output pins exist as soon as its input is
// connected.
//
// GStreamer demuxers create their pads only once data flows, while the graph
// is built pin by pin before anything runs. The graph of filters and pins is
// therefore the authority and the pipeline its realisation: when the input is
// connected, the streams are discovered up front by running the same upstream
// chain into a private pipeline (stream_discovery.h), and the splitter, a bin
// around the demuxer, gets one target-less ghost pad per stream, named after
// the demuxer's own pad. When the real pipeline runs and the demuxer adds its
// pads, each becomes the target of the ghost pad of its name, so the
// connections made beforehand carry the data. Demuxers name their pads after
// the stream's place in the file, so the names agree from one run to the next.
// (Prerolling the real pipeline with blocked pads was the alternative; it
// cannot see the streams a demuxer finds only after the first blocked one, as
// with MPEG program streams, and it would run the graph while it is built.)
class SplitterFilter : public Filter, public StreamSelect {
  public:
    SplitterFilter(FilterInfo info, GstElement* demux, std::string inputPinName);

    StreamSelect* AsStreamSelect() override { return this; }
    int Count() const override;
    Outcome<StreamInfo> Info(int index) const override;
    HResult Enable(int index, int flags) override;

    void CreatePins() override;
    HResult PrepareInput(Pin& input, Pin& upstream) override;
    void InputDisconnected(Pin& input) override;
    // Streams whose pin is not connected are dropped before their queue, so
    // that they neither hold up the others nor end in a not-linked error.
    void Realising() override;
    // An output is the demuxer's pad of its name: its ghost pad leads out of
    // the stream's queue, whose pad says nothing of the stream.
    std::string WorkPadName(const Pin& pin) const override;

  protected:
    GstElement* workElement() const override { return demux_; }

  private:
    // The connected output pins of the stream's group, but its own.
    std::vector<PinPtr> ConnectedInGroupOf(int index) const;
    // Disconnects the other streams of the stream's group, and what they fed alone.
    void DisableOthers(int index);

    GstElement* demux_;  // owned by the bin
    std::string inputPinName_;
    std::map<std::string, unsigned long> dropProbes_;
};

}  // namespace quova::engine
