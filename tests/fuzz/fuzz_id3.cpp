// Arbitrary file tails read as ID3 version 1 tags and turned into the
// display lines.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mediainfo/id3_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quova::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    quova::Id3Buffer buffer;
    quova::ReadId3Tag(source, buffer);
    // Look at every field even without a tag: the genre and track bytes of
    // any buffer must give a text.
    if (size >= buffer.size())
        for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = data[size - buffer.size() + i];
    for (int field = -1; field <= 8; ++field) (void)quova::Id3Field(buffer, field);
    (void)quova::Id3DisplayLines(buffer);
    return 0;
}
