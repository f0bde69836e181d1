// Arbitrary bytes read as the two ends of an MPEG program stream, for its
// length and the streams its headers announce.
#include <cstddef>
#include <cstdint>

#include "platform/engine/ps_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first half is the head, the rest the tail; both the whole input too.
    const size_t half = size / 2;
    (void)quova::engine::ProgramStreamLength(data, half, data + half, size - half);
    (void)quova::engine::ProgramStreamLength(data, size, data, size);
    (void)quova::engine::AnnouncedProgramStreams(data, size);
    return 0;
}
