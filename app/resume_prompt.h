#pragma once

#include <QFrame>
#include <string>

class QPushButton;

namespace quova {

class CommandSink;

// The offer to resume a medium where it stopped, over the lower left of the
// picture: "Resume at 1:23:45" and "Start over". It only shows and passes a
// click on as a command; playback decides what plays and when the offer
// goes. Nothing waits for it: the window keeps taking keys and the medium
// plays on.
class ResumePrompt : public QFrame {
  public:
    ResumePrompt(QWidget* parent, CommandSink& commands);

    // `resumed`: the medium plays from the place, so starting over is the
    // other choice; the choice that plays now is marked as the default.
    void Offer(const std::string& place, bool resumed);
    void Close();
    // Keeps its place at the lower left as the window's size changes.
    void Place();

    QPushButton* resumeButton() const { return resume_; }
    QPushButton* startOverButton() const { return startOver_; }

  private:
    QPushButton* resume_;
    QPushButton* startOver_;
};

}  // namespace quova
