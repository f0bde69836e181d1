#include "app/resume_prompt.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "app/commands.h"
#include "lexicon/lexicon.h"

namespace quova {

namespace {

// Far enough from the edges to leave the control bar and the volume bar
// their room when they show.
constexpr int kMargin = 40;

}  // namespace

ResumePrompt::ResumePrompt(QWidget* parent, CommandSink& commands) : QFrame(parent) {
    setObjectName("ResumePrompt");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(
        "#ResumePrompt { background: rgb(24, 24, 24); border: 1px solid #606060;"
        " border-radius: 4px; }"
        "#ResumePrompt QPushButton { color: white; background: #303030; border: 1px solid #707070;"
        " padding: 4px 10px; }"
        "#ResumePrompt QPushButton:default { border: 2px solid #c0c0c0; }");
    // Clicks must not take the keys from the window: Space still pauses.
    setFocusPolicy(Qt::NoFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(6);
    resume_ = new QPushButton(this);
    resume_->setObjectName("ResumeAt");
    startOver_ = new QPushButton(this);
    startOver_->setObjectName("StartOver");
    for (QPushButton* button : {resume_, startOver_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    connect(resume_, &QPushButton::clicked, this,
            [&commands] { commands.Run(BoundId(WindowBindings(), "ResumeAt")); });
    connect(startOver_, &QPushButton::clicked, this,
            [&commands] { commands.Run(BoundId(WindowBindings(), "StartOver")); });
    hide();
}

void ResumePrompt::Offer(const std::string& place, bool resumed) {
    resume_->setText(QString::fromStdString(FormatLex(2900, place)));
    startOver_->setText(QString::fromStdString(Lex(2910)));
    resume_->setDefault(resumed);
    startOver_->setDefault(!resumed);
    adjustSize();
    Place();
    show();
    raise();
}

void ResumePrompt::Close() {
    hide();
}

void ResumePrompt::Place() {
    const QWidget* window = parentWidget();
    if (!window) return;
    move(kMargin, std::max(0, window->height() - height() - kMargin));
}

}  // namespace quova
