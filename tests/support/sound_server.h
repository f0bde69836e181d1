#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace quova::testing {

// A PulseAudio server of the test's own: its socket in a temporary folder,
// no configuration read, null sinks for output devices (they keep to the
// clock like a sound card and need none). While it lives, PULSE_SERVER
// points the process (and pactl) at it; at its end the variable is restored
// and the server stopped.
class PrivateSoundServer {
  public:
    // Sinks by name and description, the first the default.
    explicit PrivateSoundServer(const std::vector<std::pair<std::string, std::string>>& sinks);
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Whether the server runs; else why not.
    bool Running() const { return running_; }
    const std::string& Failure() const { return failure_; }

    // pactl against this server: its output, "" on failure.
    std::string Pactl(const std::vector<std::string>& arguments) const;
    // Loads another null sink; its module number, or -1.
    int AddSink(const std::string& name, const std::string& description) const;
    // Unloads the null sink of that name; false when there is none.
    bool RemoveSink(const std::string& name) const;
    // The sink each playing stream is on, by sink name, as the server says.
    std::vector<std::string> SinksOfStreams() const;

  private:
    std::string folder_;
    std::string socket_;
    std::unique_ptr<QProcess> server_;
    bool running_ = false;
    std::string failure_;
    bool hadAddress_ = false;
    std::string oldAddress_;
};

}  // namespace quova::testing
