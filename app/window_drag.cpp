#include "app/window_drag.h"

namespace quova {

void WindowDrag::Begin(int x, int y, int left, int top) {
    DragStartScreenX = x + left;
    DragStartScreenY = y + top;
    DragStartLeft = left;
    DragStartTop = top;
    Dragging = 1;
}

WindowDrag::Point WindowDrag::Move(int x, int y, int left, int top) const {
    return {x + left - DragStartScreenX + DragStartLeft, y + top - DragStartScreenY + DragStartTop};
}

bool DragStarts(bool leftButtonOnly, bool modifierHeld, bool doubleClick, bool fullScreen) {
    return leftButtonOnly && !modifierHeld && !doubleClick && !fullScreen;
}

}  // namespace quova
