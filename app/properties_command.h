#pragma once

class QWidget;

namespace quova {

struct PlayerSession;

// "Properties...": the open medium's streams, length and filters in the text
// dialog, a button for each filter with settings opening its page. Nothing
// while no medium is open.
void Properties1Click(PlayerSession& session, QWidget* owner);

// "AVI Info...": the AVI header text read at the open ("AVI Info"), then the
// Ogg stream text ("OGG Info"), each in the text dialog when there is one.
void AVIInfo1Click(PlayerSession& session);

}  // namespace quova
