#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/filter_mapper.h"
#include "platform/engine/pin.h"
#include "platform/engine/result.h"

typedef struct _GstElement GstElement;

namespace quova::engine {

class FilterGraph;
class Filter;
using FilterPtr = std::shared_ptr<Filter>;

// A filter that writes into a file.
class FileSink {
  public:
    virtual ~FileSink() = default;
    // Opens `path` for writing, emptied; a link at that name is not followed.
    virtual HResult SetFileName(const std::string& path) = 0;
    // Writes into a file the caller opened (and created safely); the sink
    // owns `fd` from then on, closed also on failure. `path` is its name.
    virtual HResult SetFileDescriptor(int fd, const std::string& path) = 0;
    virtual std::string FileName() const = 0;
};

enum StreamSelectFlags { AMSTREAMSELECTENABLE_ENABLE = 1, AMSTREAMSELECTENABLE_ENABLEALL = 2 };

struct StreamInfo {
    MediaType mediaType;
    std::string name;
    bool enabled = false;
    int group = 0;  // streams of one major type form a group
};

// A splitter's choice among its streams: enabling a stream connects it in the
// place of the stream of its group that was connected.
class StreamSelect {
  public:
    virtual ~StreamSelect() = default;
    virtual int Count() const = 0;
    virtual Outcome<StreamInfo> Info(int index) const = 0;
    virtual HResult Enable(int index, int flags) = 0;
};

// The output format of an audio encoder, in the fields of the Vorbis
// encoder's format block. -1 leaves a bit rate free.
struct AudioEncoderFormat {
    int channels = 0;
    int sampleRate = 0;
    int minBitsPerSecond = -1;
    int avgBitsPerSecond = -1;
    int maxBitsPerSecond = -1;
    float quality = 0.1f;
};

// One editable setting of a filter: what a property page shows.
struct FilterProperty {
    std::string name;
    std::string description;
    std::string typeName;
    std::string value;
    bool writable = false;
};

// A node of the graph: one GStreamer element (a bin for composite filters)
// with its pins.
class Filter : public std::enable_shared_from_this<Filter> {
  public:
    Filter(FilterInfo info, GstElement* element);  // takes the element's floating reference
    virtual ~Filter();
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    // The name under which the filter was added to its graph.
    const std::string& Name() const { return name_; }
    const std::string& FriendlyName() const { return info_.friendlyName; }
    const FilterInfo& Info() const { return info_; }
    FilterCategory Category() const { return info_.category; }
    FilterGraph* Graph() const { return graph_; }

    std::vector<PinPtr> Pins() const { return pins_; }
    std::vector<PinPtr> Pins(PinDirection direction) const;
    PinPtr FindPin(std::string_view id) const;

    // A source has no inputs; a sink no outputs. Only parts of the graph
    // that join a source to a sink run.
    bool IsSource() const;
    bool IsSink() const;

    virtual FileSink* AsFileSink() { return nullptr; }
    virtual StreamSelect* AsStreamSelect() { return nullptr; }

    // The encoder's output format (encoders with bit rate and quality settings).
    Outcome<AudioEncoderFormat> EncoderFormat() const;
    HResult SetEncoderFormat(const AudioEncoderFormat& format);

    std::vector<FilterProperty> Properties() const;
    HResult SetProperty(const std::string& name, const std::string& value);

    // Engine side.
    GstElement* element() const { return element_; }
    // The factory of the element that does the work (inside a bin).
    std::string ElementFactoryName() const;
    // Builds the pins from the element's pads; called once after construction.
    virtual void CreatePins();
    void setGraph(FilterGraph* graph, std::string name);
    // Before an input is linked: a filter that learns its outputs from its
    // input's data does so here.
    virtual HResult PrepareInput(Pin& input, Pin& upstream);
    virtual void InputDisconnected(Pin& input);
    // Before the graph's pipeline is brought up again after a change: data for
    // unconnected outputs is dropped where it leaves, so that a stream nobody
    // takes neither fails nor holds up the others.
    virtual void Realising();
    // After a request pin got its pad: offers the next one.
    void RequestPinUsed(Pin& pin);
    void RequestPinReleased(Pin& pin);
    // The properties GStreamer itself needs to rebuild this filter elsewhere.
    virtual std::vector<std::pair<std::string, std::string>> RebuildProperties() const;
    // The name of the work element's pad that `pin` stands for, under which
    // a copy of the element built elsewhere has it too.
    virtual std::string WorkPadName(const Pin& pin) const;

  protected:
    PinPtr AddPin(std::string name, PinDirection direction, GstPad* pad,
                  GstPadTemplate* requestTemplate = nullptr);
    void RemovePin(const PinPtr& pin);
    // The element that does the filter's work (the inner one of a bin).
    virtual GstElement* workElement() const { return element_; }
    // Drops the data that passes `pad` while its stream is not connected;
    // `probe` keeps the dropping probe's id (0 for none).
    static void DropWhileUnconnected(GstPad* pad, bool connected, unsigned long& probe);

    FilterInfo info_;
    GstElement* element_ = nullptr;
    std::vector<PinPtr> pins_;

  private:
    std::string name_;
    FilterGraph* graph_ = nullptr;
};

}  // namespace quova::engine
