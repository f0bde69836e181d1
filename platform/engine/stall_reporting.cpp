// The graph's watch over its network sources: a server that stops sending
// half way is an error of the medium as soon as it is seen, not when the
// buffered data has played out or the reader's own time-out ends.

#include <gst/gst.h>

#include <QTimer>

#include <algorithm>
#include <chrono>

#include "platform/engine/file_source_filter.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/stall_watch.h"

namespace quova::engine {

namespace {

// Long enough for a slow server's pauses, short enough that the user hears of
// a dead one within five seconds.
constexpr auto kStallBound = std::chrono::seconds(3);
constexpr int kLookMs = 250;

}  // namespace

void FilterGraph::WatchForStalls(bool on) {
    if (!on) {
        if (stallTimer_) stallTimer_->stop();
        return;
    }
    stalledSources_.clear();
    bool any = false;
    for (const FilterPtr& f : filters_)
        if (auto* source = dynamic_cast<FileSourceFilter*>(f.get()); source && source->Stall()) {
            source->Stall()->Restart();
            any = true;
        }
    if (!any) return;
    if (!stallTimer_) {
        stallTimer_ = new QTimer(bridge_.get());
        stallTimer_->setInterval(kLookMs);
        QObject::connect(stallTimer_, &QTimer::timeout, bridge_.get(), [this] { LookForStalls(); });
    }
    stallTimer_->start();
}

void FilterGraph::LookForStalls() {
    if (!realised_) return;
    for (const FilterPtr& f : filters_) {
        auto* source = dynamic_cast<FileSourceFilter*>(f.get());
        if (!source || !source->Stall() ||
            std::find(stalledSources_.begin(), stalledSources_.end(), f) != stalledSources_.end())
            continue;
        // A source outside the pipeline reads nothing and waits for nothing.
        if (!gst_object_has_as_ancestor(GST_OBJECT(f->element()), GST_OBJECT(pipeline_))) continue;
        if (!source->Stall()->Stalled(kStallBound)) continue;
        stalledSources_.push_back(f);
        // As the reader's own read error would be told.
        lastError_ = VFW_E_RUNTIME_ERROR;
        Log("the server of \"" + source->FileName() + "\" stopped sending");
        events_.Post({EC_ERRORABORT, lastError_, 0});
    }
}

bool FilterGraph::FromStalledSource(GstObject* source) const {
    return std::any_of(
        stalledSources_.begin(), stalledSources_.end(), [source](const FilterPtr& f) {
            return source && (source == GST_OBJECT(f->element()) ||
                              gst_object_has_as_ancestor(source, GST_OBJECT(f->element())));
        });
}

}  // namespace quova::engine
