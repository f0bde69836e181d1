#pragma once

#include <filesystem>
#include <memory>
#include <string>

class QProcess;

namespace quova::testing {

// How a test server sends a file, for a slow or failing network.
struct HttpPace {
    // Bytes a second for each answer; 0 as fast as it goes.
    int bytesPerSecond = 0;
    // The share of a file after which the server stops sending and holds
    // the connection open, as a hung server does; 1 sends it all.
    double stopAfter = 1.0;
    // At stopAfter the server closes the connection instead of holding it,
    // and answers any later request for the rest the same way.
    bool hangUp = false;
};

// A file server (Python's, answering byte ranges), serving `folder` on the
// loopback address at a port the system chooses. It answers 404 for names it
// lacks. Stopped when the object goes.
class HttpServer {
  public:
    using Pace = HttpPace;
    explicit HttpServer(const std::filesystem::path& folder, Pace pace = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // False when the server did not start; the address is then empty.
    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    // Whether the server has stopped sending (reached stopAfter); known once
    // events have been handled after it did.
    bool Stopped() const { return stopped_; }
    // "http://127.0.0.1:<port>/<name>", the name escaped as a URL path.
    std::string Address(const std::string& name) const;

  private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    bool stopped_ = false;
};

}  // namespace quova::testing
