#pragma once

#include "text/open_medium_view.h"

namespace quova {

struct PlayerSession;

// The open medium as the text layer sees it, answered from the session.
class SessionMediumView final : public OpenMediumView {
  public:
    explicit SessionMediumView(PlayerSession& session) : session_(session) {}

    bool MediaFileOpen() const override;
    std::string MovieName() const override;
    double Duration() const override;
    double FrameRate() const override;
    std::pair<int, int> VideoSize() const override;
    bool Position(double& seconds) const override;

  private:
    PlayerSession& session_;
};

}  // namespace quova
