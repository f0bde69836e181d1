#include "app/display_mode.h"

#include "lexicon/lexicon.h"

namespace quova {

std::string DisplayModeError(int result) {
    int entry = 0;
    switch (result) {
        case DispChangeRestart:
            entry = 140;
            break;
        case DispChangeBadFlags:
            entry = 150;
            break;
        case DispChangeFailed:
            entry = 160;
            break;
        case DispChangeBadMode:
            entry = 170;
            break;
        case DispChangeNotUpdated:
            entry = 180;
            break;
        default:
            break;
    }
    return Lex(190) + (entry ? Lex(entry) : std::string());
}

DisplayMode RequestedMode(const DisplayMode& saved, int resolution, bool force16) {
    DisplayMode mode = saved;
    if (mode.depth > 16 && force16) mode.depth = 16;
    if (resolution > 0 && mode.width > resolution) {
        mode.width = resolution;
        mode.height = resolution == 640 ? 480 : 600;
    }
    return mode;
}

ModeChoice ChooseMode(const DisplayMode& saved, const DisplayMode& requested,
                      const std::vector<DisplayMode>& available) {
    if (requested.depth != saved.depth) return {DispChangeBadMode, {}};
    if (requested.width == saved.width && requested.height == saved.height)
        return {DispChangeSuccessful, saved};
    ModeChoice best{DispChangeBadMode, {}};
    long bestArea = -1;
    for (const DisplayMode& m : available) {
        if (m.width > requested.width || m.height > requested.height) continue;
        const long area = long(m.width) * m.height;
        if (area > bestArea) {
            bestArea = area;
            best = {DispChangeSuccessful, m};
            best.mode.depth = saved.depth;
        }
    }
    return best;
}

void DisplayModeControl::CaptureDisplayMode() {
    DisplayMode mode;
    if (server_ && server_->Current(mode)) {
        saved_ = mode;
        captured_ = true;
    }
}

int DisplayModeControl::SetDisplayMode(bool on, int resolution, bool force16) {
    if (!on) {
        if (state_ > Untouched && server_ && captured_) {
            DisplayMode now;
            if (!server_->Current(now) || !(now == saved_)) server_->Apply(saved_);
            server_->Forget();
        }
        state_ = Untouched;
        return DispChangeSuccessful;
    }
    const int remembered = state_;
    state_ = Changing;
    int result = DispChangeFailed;
    if (server_ && captured_) {
        const ModeChoice choice =
            ChooseMode(saved_, RequestedMode(saved_, resolution, force16), server_->Modes());
        result = choice.result;
        if (result == DispChangeSuccessful) {
            DisplayMode now;
            const bool same = server_->Current(now) && now == choice.mode;
            if (!same) {
                server_->Remember(saved_);
                result = server_->Apply(choice.mode);
                if (result != DispChangeSuccessful) server_->Forget();
            }
            applied_ = choice.mode;
        }
    }
    if (result == DispChangeSuccessful) {
        // The server's announcement of this change comes later, from the
        // event loop; DisplayChanged knows it by the mode applied.
        state_ = Changed;
    } else {
        state_ = remembered;
        if (report_) report_->DisplayModeFailed(DisplayModeError(result));
    }
    return result;
}

void DisplayModeControl::DisplayChanged() {
    if (state_ == Changing) return;
    // The server announces the program's own change after it is made; only a
    // change from outside makes the mode found then the one to return to.
    DisplayMode now;
    if (state_ == Changed && server_ && server_->Current(now) && now.width == applied_.width &&
        now.height == applied_.height)
        return;
    CaptureDisplayMode();
    state_ = Untouched;
}

void DisplayModeControl::Restore() {
    if (state_ == Changed) SetDisplayMode(false, 0, false);
}

DisplayModeControl& DisplayModes() {
    static DisplayModeControl control;
    return control;
}

}  // namespace quova
