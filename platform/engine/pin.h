#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/engine/media_type.h"
#include "platform/engine/result.h"

typedef struct _GstPad GstPad;
typedef struct _GstPadTemplate GstPadTemplate;
typedef struct _GstCaps GstCaps;

namespace quova::engine {

class Filter;
class Pin;
using PinPtr = std::shared_ptr<Pin>;

enum class PinDirection { Input = 0, Output = 1 };

// A connection point of a filter. Behind it stands a GStreamer pad; a pin of
// a request template (a multiplexer's next input) gets its pad when it is
// connected.
class Pin : public std::enable_shared_from_this<Pin> {
  public:
    Pin(const std::shared_ptr<Filter>& owner, std::string name, PinDirection direction, GstPad* pad,
        GstPadTemplate* requestTemplate = nullptr);
    ~Pin();
    Pin(const Pin&) = delete;
    Pin& operator=(const Pin&) = delete;

    const std::string& Name() const { return name_; }
    // The pin's identifier, unique within its filter.
    const std::string& Id() const { return name_; }
    PinDirection Direction() const { return direction_; }
    std::shared_ptr<Filter> Owner() const { return owner_.lock(); }

    // The media types the pin prefers, best first.
    std::vector<MediaType> MediaTypes() const;
    PinPtr ConnectedTo() const { return peer_.lock(); }
    bool IsConnected() const { return !peer_.expired(); }
    // The type agreed for the connection; VFW_E_NOT_CONNECTED when there is none.
    Outcome<MediaType> ConnectionMediaType() const;

    // Connection through the owner's graph (both ends are updated).
    HResult ConnectDirect(const PinPtr& other);
    HResult Disconnect();

    // Engine side.
    GstPad* pad() const { return pad_; }
    GstPadTemplate* requestTemplate() const { return requestTemplate_; }
    // Caps the pin can carry now: negotiated caps, else those of the
    // connection, else what the pad accepts. The caller owns the result.
    GstCaps* CurrentCaps() const;
    void setPad(GstPad* pad);
    void setPeer(const PinPtr& peer) { peer_ = peer; }
    void setConnectionCaps(GstCaps* caps);  // takes ownership
    // Caps known before any data flows (a typefound file, a discovered stream).
    void setOfferedCaps(GstCaps* caps);  // takes ownership
    GstCaps* connectionCaps() const { return connectionCaps_; }
    unsigned long dropProbe() const { return dropProbe_; }
    void setDropProbe(unsigned long id) { dropProbe_ = id; }

  private:
    std::weak_ptr<Filter> owner_;
    std::string name_;
    PinDirection direction_;
    GstPad* pad_ = nullptr;
    GstPadTemplate* requestTemplate_ = nullptr;
    std::weak_ptr<Pin> peer_;
    GstCaps* connectionCaps_ = nullptr;
    GstCaps* offeredCaps_ = nullptr;
    unsigned long dropProbe_ = 0;
};

}  // namespace quova::engine
