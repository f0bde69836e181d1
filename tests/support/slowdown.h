#pragma once

namespace quova::testing {

// How many times slower the instrumented builds run the same code. Bounds
// that only check an operation comes back at all are stretched by it; bounds
// that stand for what the user sees (a window standing still) are not.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSanitizerSlowdown = 4;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

}  // namespace quova::testing
