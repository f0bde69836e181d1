#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <deque>
#include <functional>

#include "platform/engine/result.h"

namespace quova::engine {

// Event codes with their published values.
inline constexpr long EC_COMPLETE = 0x01;
inline constexpr long EC_USERABORT = 0x02;
inline constexpr long EC_ERRORABORT = 0x03;
inline constexpr long EC_PAUSED = 0x0E;
inline constexpr long EC_STEP_COMPLETE = 0x24;
// A hardware decoder failed and a software one took its place at the same
// position (the player's own code, in the range left to applications).
inline constexpr long EC_DECODER_REPLACED = 0x8001;
// A demuxer announced more streams than a graph takes; param1 counts those
// left out.
inline constexpr long EC_STREAMS_LEFT_OUT = 0x8002;
// Room for the DVD navigator's events (0x101 and up).
inline constexpr long EC_DVD_DOMAIN_CHANGE = 0x101;

struct GraphEvent {
    long code = 0;
    std::intptr_t param1 = 0;  // EC_ERRORABORT: the result code
    std::intptr_t param2 = 0;
};

// The graph's event queue. Events are queued on the UI thread (the graph
// turns GStreamer's bus messages into events there), and each arrival is
// announced to the window that asked for it by a posted Qt event of its
// chosen type: the replacement of the notification window message.
class GraphEvents {
  public:
    void Post(const GraphEvent& event);
    // The oldest event; E_ABORT when the queue is empty.
    Outcome<GraphEvent> Take();
    bool Empty() const { return queue_.empty(); }

    // `receiver` gets a QEvent of `type` for each queued event; nullptr stops it.
    void SetNotifyWindow(QObject* receiver, QEvent::Type type);
    // Called on the UI thread for each queued event, from inside the graph
    // call that noticed it: it may take events but must not change the graph.
    void SetNotifyCallback(std::function<void()> callback) { callback_ = std::move(callback); }

  private:
    std::deque<GraphEvent> queue_;
    QPointer<QObject> receiver_;
    QEvent::Type type_ = QEvent::None;
    std::function<void()> callback_;
};

}  // namespace quova::engine
