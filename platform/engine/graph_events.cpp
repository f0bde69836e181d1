#include "platform/engine/graph_events.h"

#include <QCoreApplication>

namespace quova::engine {

void GraphEvents::Post(const GraphEvent& event) {
    queue_.push_back(event);
    if (receiver_) QCoreApplication::postEvent(receiver_, new QEvent(type_));
    if (callback_) callback_();
}

Outcome<GraphEvent> GraphEvents::Take() {
    if (queue_.empty()) return {E_ABORT, {}};
    GraphEvent e = queue_.front();
    queue_.pop_front();
    return {S_OK, e};
}

void GraphEvents::SetNotifyWindow(QObject* receiver, QEvent::Type type) {
    receiver_ = receiver;
    type_ = type;
}

}  // namespace quova::engine
