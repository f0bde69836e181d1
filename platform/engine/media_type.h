#pragma once

#include <string>
#include <vector>

#include "platform/engine/guid.h"

typedef struct _GstCaps GstCaps;
typedef struct _GstStructure GstStructure;

namespace quova::engine {

// A stream's type as the graph's users see it: major type and subtype, plus
// the format details that are known (zero when not).
struct MediaType {
    Guid majorType;
    Guid subType;
    // Video.
    int width = 0;
    int height = 0;
    double frameRate = 0;
    // Audio.
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    // The GStreamer caps the type stands for, in text form.
    std::string caps{};

    bool IsVideo() const { return majorType == MEDIATYPE_Video; }
    bool IsAudio() const { return majorType == MEDIATYPE_Audio; }
    // Major and subtype agree, GUID_NULL on either side matching anything.
    bool Matches(const MediaType& other) const;
};

// One media type for each kind of stream the caps allow. Lists and ranges in
// the fields that decide the subtype (video formats, MPEG audio layers) give
// one type per value. Byte streams (a file source's output) take the major
// type MEDIATYPE_Stream with the container's subtype.
std::vector<MediaType> MediaTypesFromCaps(const GstCaps* caps, bool byteStream = false);

// The caps a media type asks for; nullptr when the type has no GStreamer form.
// The caller owns the result.
GstCaps* CapsFromMediaType(const MediaType& type);

}  // namespace quova::engine
