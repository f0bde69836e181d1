#pragma once

namespace quova {

// Moving the borderless window with the left button held.
struct WindowDrag {
    int Dragging = 0;
    int DragStartScreenX = 0;
    int DragStartScreenY = 0;
    int DragStartLeft = 0;
    int DragStartTop = 0;

    // A press at (x, y) in the terms of a window at (left, top).
    void Begin(int x, int y, int left, int top);
    // Where the window goes for a move to (x, y) in the same terms.
    struct Point {
        int left;
        int top;
    };
    Point Move(int x, int y, int left, int top) const;
    void End() { Dragging = 0; }
};

// A press starts a drag only with the left button alone, no Shift, Ctrl or
// Alt, not as part of a double click, and not in full screen.
bool DragStarts(bool leftButtonOnly, bool modifierHeld, bool doubleClick, bool fullScreen);

}  // namespace quova
