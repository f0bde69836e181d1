#pragma once

namespace quova::engine {

// A network medium stays on the web: a remote play list or manifest may name
// segments, keys or parts of itself by file://, fd://, multifile:// or any
// other address GStreamer has a reader for, and the adaptive demuxers open
// whatever their lists name through GStreamer's element for the address.
// While a network medium is open, no element made for an address other than
// an http(s) or data one may start: it fails with an error naming the
// address. Local media, and local lists naming local files, are not touched.

// Puts the elements that guard those addresses ahead of GStreamer's own;
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
