#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

namespace quova {

struct PlayerSession;

// The point of the disc's own picture under a point of the main window's
// client area, given where the video window sits (`video`, client
// coordinates) and which part of the picture it shows (`source`, picture
// pixels). Nothing outside the video window.
std::optional<QPoint> DvdPicturePoint(QPoint client, const QRect& video, const QRect& source);

// A pointer over a disc menu selects the button under it; true when there is
// one (the window shows the hand pointer then).
bool SelectDvdButtonAt(PlayerSession& session, QPoint client);
// A click on a disc menu activates the button under it; true when it did.
bool ActivateDvdButtonAt(PlayerSession& session, QPoint client);

// The keys of a disc menu: Enter activates the selected button, the arrows
// select its neighbour (1 up, 2 down, 3 left, 4 right).
enum class DvdMenuKey { Activate, Up, Down, Left, Right };
void PressDvdMenuKey(PlayerSession& session, DvdMenuKey key);

}  // namespace quova
