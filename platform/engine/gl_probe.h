#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quova::engine {

// Choosing between the sinks needs the name of the display's GL renderer, but
// asking for it loads the GL driver into the asking process: on a display
// without a GPU that is Mesa's software renderer and LLVM, some 50 MB that
// playback never uses. So the question goes to a short-lived probe program,
// is skipped where the machine has no GPU device at all, and the answer is
// remembered per display.

// Whether `driFolder` holds a DRM device node (cardN or renderDN).
bool HasRenderNode(const std::filesystem::path& driFolder);

// The remembered renderer for `key` in `cacheFile` ("" is a remembered "no
// GL"); nothing when the key is not there or the file is unreadable.
std::optional<std::string> CachedGlRenderer(const std::filesystem::path& cacheFile,
                                            const std::string& key);
// Remembers `renderer` for `key`, keeping the other keys' answers.
void RememberGlRenderer(const std::filesystem::path& cacheFile, const std::string& key,
                        const std::string& renderer);

// Runs `probeProgram` and takes the first line it prints as the renderer;
// "" when it cannot be run, fails or takes longer than `timeoutMs`.
std::string AskGlRenderer(const std::filesystem::path& probeProgram, int timeoutMs);

// The GL renderer of this process's X display, found as described above.
std::string DisplayGlRenderer();

// The probe program's work: prints the renderer of the display it is given
// and returns 0, or returns 1 when no GL context can be made.
int RunGlProbe(int argc, char** argv);

}  // namespace quova::engine
