#include "app/text_dialog_layout.h"

#include <algorithm>

namespace quova {

namespace {
constexpr int kMargin = 8;

int FloorHalf(int value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}
}  // namespace

TextDialogLayout LayOutTextDialog(const TextDialogInput& in) {
    TextDialogLayout out;
    out.label = {2 * kMargin, 2 * kMargin, in.labelWidth, in.labelHeight};
    out.bevel = {kMargin, kMargin, in.labelWidth + 2 * kMargin, 0};

    const int buttonLeft = out.bevel.right() + kMargin;
    int bottom = in.buttons[0].top;
    bool anyVisible = false;
    for (int i = 0; i < kSideButtonCount; ++i) {
        const SideButtonState& b = in.buttons[i];
        out.buttons[i] = {buttonLeft, b.top, b.width, b.height};
        // The bevel starts level with the first button's top and reaches
        // down to the lowest of the visible buttons after it, whatever order
        // the caller placed them in.
        if (b.visible) {
            if (i > 0) bottom = std::max(bottom, b.top + b.height);
            anyVisible = true;
        }
    }

    int rightmost = buttonLeft;
    if (anyVisible) {
        for (int i = 0; i < kSideButtonCount; ++i)
            if (in.buttons[i].visible)
                rightmost = std::max(rightmost, out.buttons[i].right() + kMargin);
    }
    out.clientWidth = rightmost;

    out.bevel.height = std::max(in.labelHeight + 2 * kMargin, bottom);
    out.ok = {FloorHalf(out.clientWidth - in.okWidth), out.bevel.bottom() + kMargin, in.okWidth,
              in.okHeight};
    out.clientHeight = out.ok.bottom() + kMargin;
    out.windowLeft = FloorHalf(in.screenWidth - (out.clientWidth + in.frameWidth));
    return out;
}

std::string LabelDisplayText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

}  // namespace quova
