#pragma once

#include <string>
#include <vector>

#include "platform/engine/guid.h"
#include "platform/engine/media_type.h"
#include "platform/engine/result.h"

namespace quova::engine {

// Counts a file's streams and tells their types, without building a graph.
class MediaDetector {
  public:
    // Reads the file (at most `timeoutMs`); the streams are those of the file
    // in its own order.
    HResult SetFileName(const std::string& path, int timeoutMs = 5000);
    int OutputStreams() const { return static_cast<int>(streams_.size()); }
    HResult SetCurrentStream(int index);
    int CurrentStream() const { return current_; }
    // The current stream's major type (MEDIATYPE_Video, MEDIATYPE_Audio, ...).
    Outcome<Guid> StreamType() const;
    // Frames per second of the current stream; 0 for a stream that is not video.
    Outcome<double> FrameRate() const;

  private:
    std::vector<MediaType> streams_;
    int current_ = 0;
};

}  // namespace quova::engine
