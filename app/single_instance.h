#pragma once

#include <QObject>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class QLocalServer;
class QLocalSocket;

namespace quova {

// A second start hands its file to the instance already running over a
// per-user local socket in the user's runtime folder: the request is a 2-byte
// big-endian length and the name's bytes (at most 512); the running instance
// handles it and answers one byte 0, and the new start then ends.

constexpr std::size_t kHandOverMaxBytes = 512;

// The request for `name`; none when it is empty or longer than the limit
// (a cut name would not name the file, so such a start opens its own window).
std::optional<std::string> EncodeHandOver(const std::string& name);

// Reads a request as its bytes arrive.
class HandOverDecoder {
  public:
    enum class State { NeedMore, Complete, Invalid };
    State Feed(std::string_view bytes);
    State state() const { return state_; }
    const std::string& name() const { return name_; }

  private:
    std::string buffer_;
    std::string name_;
    State state_ = State::NeedMore;
};

// ${XDG_RUNTIME_DIR}/quova.instance (or Qt's private fallback folder); "" when
// the user has no private runtime folder, and then instances do not meet.
std::string InstanceSocketPath();

// Whether `socketPath` is a socket owned by this user: names are handed only
// to the user's own instance.
bool IsOwnSocket(const std::string& socketPath);

// Sends `name` to the instance listening at `socketPath` and waits for its
// answer. True only when it answered 0: the caller then ends.
bool HandOverToRunningInstance(const std::string& socketPath, const std::string& name,
                               int answerTimeoutMs = 30000);

// The running instance's side.
class InstanceServer : public QObject {
    Q_OBJECT
  public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens at `socketPath`, accessible to this user only. A socket left by
    // an instance that died is removed; a live one is left alone (false).
    bool Listen(const std::string& socketPath);
    void Close();

  Q_SIGNALS:
    // A second start handed `name` over; told from the event loop, after the
    // sender was answered.
    void handedOver(const std::string& name);

  private:
    void Accept();

    QLocalServer* server_;
};

}  // namespace quova
