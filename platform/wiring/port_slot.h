#pragma once

#include <cstdio>
#include <cstdlib>

namespace quova {

// Where a lower part keeps the one implementation of a port it calls up
// through. Connected once at start-up; using it unconnected is a wiring
// fault, so it ends the program with a message naming the port instead of
// doing nothing quietly.
template <typename Port>
class PortSlot {
  public:
    explicit constexpr PortSlot(const char* name) : name_(name) {}

    void Connect(Port* port) { port_ = port; }
    bool Connected() const { return port_ != nullptr; }
    Port& Get() const {
        if (!port_) {
            std::fprintf(stderr, "quova: the %s port is used before it is connected\n", name_);
            std::abort();
        }
        return *port_;
    }

  private:
    const char* name_;
    Port* port_ = nullptr;
};

}  // namespace quova
