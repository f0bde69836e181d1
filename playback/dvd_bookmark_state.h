#pragma once

#include <cstdint>
#include <string>

namespace quova {

struct GraphSession;
struct PlayerSession;

// The class identifier that leads the navigator state in a DVD bookmark's
// "dvdnavigatorstate" stream; the navigator's own text follows it.
inline constexpr char kDvdStateClassId[17] =
    "\x51\x75\x6f\x76\x61\x44\x56\x44\x4e\x61\x76\x53\x74\x61\x74\x65";  // "QuovaDVDNavState"

// The navigator's state as DVD bookmarks keep it. The open disc's navigator
// serves it; a test without a drive may stand another in.
class DvdStateStore {
  public:
    virtual ~DvdStateStore() = default;
    // A navigator with a picture (a frame rate) to save.
    virtual bool CanSave() = 0;
    // The control and information faces are present.
    virtual bool Ready() = 0;
    // A 16-byte class identifier, then the navigator's own data.
    virtual std::int32_t GetState(std::string& state) = 0;
    // The disc a saved state belongs to; a failure code when the state is unreadable.
    virtual std::int32_t StateDiscId(const std::string& state, std::uint64_t& discId) = 0;
    virtual std::uint64_t CurrentDiscId() = 0;
    virtual std::int32_t SetState(const std::string& state) = 0;
};

// The open disc's navigator (the graph's DVD control and information faces).
class NavigatorStateStore final : public DvdStateStore {
  public:
    explicit NavigatorStateStore(const GraphSession& graph) : graph_(graph) {}
    bool CanSave() override;
    bool Ready() override;
    std::int32_t GetState(std::string& state) override;
    std::int32_t StateDiscId(const std::string& state, std::uint64_t& discId) override;
    std::uint64_t CurrentDiscId() override;
    std::int32_t SetState(const std::string& state) override;

  private:
    const GraphSession& graph_;
};

// The store in use: the open disc's navigator unless another was stood in.
DvdStateStore& DvdStates(PlayerSession& session);
// Stands `store` in for the navigator; null goes back to the navigator.
void UseDvdStateStore(PlayerSession& session, DvdStateStore* store);

}  // namespace quova
