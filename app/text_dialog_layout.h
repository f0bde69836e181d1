#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quova {

// The text dialog's layout, worked out from the sizes of its parts so that
// the rules are checked without a window. Coordinates are client pixels.

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Rect&) const = default;
};

constexpr int kSideButtonCount = 10;

struct SideButtonState {
    int top = 0;
    int width = 155;
    int height = 25;
    bool visible = false;
};

struct TextDialogInput {
    int labelWidth = 0;
    int labelHeight = 0;
    std::array<SideButtonState, kSideButtonCount> buttons;
    int okWidth = 75;
    int okHeight = 25;
    // The window frame's extra width and height around the client area.
    int frameWidth = 0;
    int frameHeight = 0;
    int screenWidth = 0;
};

struct TextDialogLayout {
    Rect bevel;
    Rect label;
    std::array<Rect, kSideButtonCount> buttons;
    Rect ok;
    int clientWidth = 0;
    int clientHeight = 0;
    // The window's left edge on the screen (centred horizontally).
    int windowLeft = 0;
};

// The bevel frames the text with 8 pixels to spare and reaches down to the
// lowest visible side button after the first; the buttons stand in a column 8 pixels right of
// it; OK is centred 8 pixels below the bevel.
TextDialogLayout LayOutTextDialog(const TextDialogInput& input);

// The text as the dialog's label shows it: "&&" is one "&", and a single "&"
// (an accelerator mark, meaningless in a label) is dropped.
std::string LabelDisplayText(std::string_view text);

}  // namespace quova
