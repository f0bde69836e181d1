#include "playback/session_saver.h"

#include "graph/graph_state.h"
#include "platform/files/atomic_file.h"
#include "playback/bookmarks.h"
#include "playback/player_port.h"
#include "playback/player_session.h"
#include "playback/session_place.h"

namespace quova {

SessionSaver::SessionSaver() : worker_([this] { Run(); }) {}

SessionSaver::~SessionSaver() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void SessionSaver::Post(const std::string& path, const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        path_ = path;
        text_ = text;
        pending_ = true;
    }
    wake_.notify_all();
}

void SessionSaver::Flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

int SessionSaver::WritesDone() const {
    std::lock_guard lock(mutex_);
    return done_;
}

void SessionSaver::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_ && stopping_) return;
        const std::string path = path_;
        const std::string text = text_;
        pending_ = false;
        busy_ = true;
        lock.unlock();
        WriteSessionFile(path, [&](const std::string& where) {
            return WriteFileAtomically(where, text, nullptr);
        });
        lock.lock();
        busy_ = false;
        ++done_;
        idle_.notify_all();
    }
}

void SaveRunningSessionBookmark(PlayerSession& session, SessionSaver& saver) {
    GraphSession& g = session.graph;
    if (g.MediaKind != MediaKindFile || !g.GraphBuilder) return;
    const auto state = g.GraphBuilder->GetState(0);
    if (state.value != engine::GraphState::Running) return;
    saver.Post(session.playbackPort.Get().SessionBookmarkFile(), CurrentMovieBookmarkText(session));
}

}  // namespace quova
