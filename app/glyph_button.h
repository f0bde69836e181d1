#pragma once

#include <QPushButton>
#include <QStyle>

namespace quova {

// The symbol font's letter each edge button carries, drawn as the matching
// standard icon: the letter stays the button's text, which is the state the
// code tests (";" pause, "4" play).
QStyle::StandardPixmap GlyphIcon(const QString& glyph);

class GlyphButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quova
