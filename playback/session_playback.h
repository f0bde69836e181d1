#pragma once

#include "graph/medium_playback.h"

namespace quova {

struct PlayerSession;

// The player session's answer to what an open or a leave asks of playback.
class SessionPlayback final : public MediumPlayback {
  public:
    explicit SessionPlayback(PlayerSession& session) : session_(session) {}

    void StartAt(double seconds) override;
    void EndScan() override;
    void SaveSessionBookmark() override;
    double StartingPoint(double from) override;
    void Started() override;
    void KeepPlace() override;

  private:
    PlayerSession& session_;
};

}  // namespace quova
