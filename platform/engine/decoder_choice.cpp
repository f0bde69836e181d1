#include "platform/engine/decoder_choice.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

namespace quova::engine {

bool RenderNodeAnswers(const std::filesystem::path& driFolder) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(driFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->path().filename().string().starts_with("renderD")) continue;
        // A node may exist for a GPU whose group this user is not in.
        const int fd = open(it->path().c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            close(fd);
            return true;
        }
    }
    return false;
}

DecoderChoice& DecoderChoice::Instance() {
    static DecoderChoice choice;
    return choice;
}

void DecoderChoice::SetHardwareAllowed(bool allowed) {
    std::lock_guard guard(lock_);
    allowed_ = allowed;
}

bool DecoderChoice::HardwareAllowed() const {
    std::lock_guard guard(lock_);
    return allowed_;
}

void DecoderChoice::SetDriFolder(const std::filesystem::path& folder) {
    std::lock_guard guard(lock_);
    driFolder_ = folder;
    deviceAnswers_.reset();
}

bool DecoderChoice::DeviceAnswers() const {
    if (!deviceAnswers_) deviceAnswers_ = RenderNodeAnswers(driFolder_);
    return *deviceAnswers_;
}

bool DecoderChoice::MayDecode(std::string_view codec, bool hardware) const {
    if (!hardware) return true;
    std::lock_guard guard(lock_);
    return allowed_ && !failed_.contains(codec) && DeviceAnswers();
}

bool DecoderChoice::NoteHardwareFailure(std::string_view codec) {
    std::lock_guard guard(lock_);
    return failed_.emplace(codec).second;
}

bool DecoderChoice::HardwareFailed(std::string_view codec) const {
    std::lock_guard guard(lock_);
    return failed_.contains(codec);
}

void DecoderChoice::ForgetFailures() {
    std::lock_guard guard(lock_);
    failed_.clear();
}

}  // namespace quova::engine
