#pragma once

namespace quova::engine {

// A network medium stays on the network: a remote play list or manifest may
// name segments, keys or parts of itself by file:// addresses, and the
// adaptive demuxers open whatever their lists name through GStreamer's
// element for the address. While a network medium is open, no element made
// for a file:// address may open its file: it fails to start, with an error
// naming the address. Local media, and local lists naming local files, are
// not touched.

// Puts the element that guards file:// addresses ahead of GStreamer's own;
// called once GStreamer is initialised.
void RegisterLocalFileGuard();

// Open while a graph plays a network medium; file:// addresses open again
// once the last has gone.
class NetworkMediumScope {
  public:
    NetworkMediumScope();
    ~NetworkMediumScope();
    NetworkMediumScope(const NetworkMediumScope&) = delete;
    NetworkMediumScope& operator=(const NetworkMediumScope&) = delete;
};

// Whether a network medium is open.
bool LocalFilesRefused();

}  // namespace quova::engine
