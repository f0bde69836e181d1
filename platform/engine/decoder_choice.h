#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quova::engine {

// Whether a render node in `driFolder` (renderD128, ...) can be opened for
// decoding: a node that is there but refuses this user is no GPU to us.
bool RenderNodeAnswers(const std::filesystem::path& driFolder);

// Which kind of decoder a codec gets, and what a failed hardware decoder
// taught. Hardware decoders are tried only where the user allows them and a
// render node answers; a codec whose hardware decoder failed once in this run
// goes to software from then on, so that a machine whose driver cannot take
// a profile does not pay a failed start for every file.
//
// A codec is named by its media type ("video/x-h264").
class DecoderChoice {
  public:
    static DecoderChoice& Instance();

    void SetHardwareAllowed(bool allowed);
    bool HardwareAllowed() const;
    // Where render nodes are looked for; the answer is asked once per folder.
    void SetDriFolder(const std::filesystem::path& folder);

    // Whether a decoder of that kind may decode `codec` now.
    bool MayDecode(std::string_view codec, bool hardware) const;
    // A hardware decoder of `codec` failed: true the first time for that
    // codec in this run (the one time the user is told).
    bool NoteHardwareFailure(std::string_view codec);
    bool HardwareFailed(std::string_view codec) const;
    // Forgets the failures (a new run, as far as the choice goes).
    void ForgetFailures();

  private:
    DecoderChoice() = default;
    bool DeviceAnswers() const;

    mutable std::mutex lock_;
    bool allowed_ = true;
    std::filesystem::path driFolder_ = "/dev/dri";
    mutable std::optional<bool> deviceAnswers_;
    std::set<std::string, std::less<>> failed_;
};

}  // namespace quova::engine
