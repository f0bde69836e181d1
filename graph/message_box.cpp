#include "graph/message_box.h"

#include "platform/engine/result.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <exception>

namespace quova {

namespace {

std::string& Title() {
    static std::string title = "Quova";
    return title;
}

// Modal is process-wide in Qt: a box from any window holds every window's
// input, so whether one is up is the process's to know.
bool modalDialogOpen = false;

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton second;
    QMessageBox::StandardButton third;
};

ButtonSet ButtonsFor(unsigned flags) {
    using B = QMessageBox;
    switch (flags & 0xF) {
        case MbOkCancel:
            return {B::Ok | B::Cancel, B::Ok, B::Cancel, B::NoButton};
        case MbAbortRetryIgnore:
            return {B::Abort | B::Retry | B::Ignore, B::Abort, B::Retry, B::Ignore};
        case MbYesNoCancel:
            return {B::Yes | B::No | B::Cancel, B::Yes, B::No, B::Cancel};
        case MbYesNo:
            return {B::Yes | B::No, B::Yes, B::No, B::NoButton};
        case MbRetryCancel:
            return {B::Retry | B::Cancel, B::Retry, B::Cancel, B::NoButton};
        default:
            return {B::Ok, B::Ok, B::NoButton, B::NoButton};
    }
}

QMessageBox::Icon IconFor(unsigned flags) {
    switch (flags & 0xF0) {
        case MbIconStop:
            return QMessageBox::Critical;
        case MbIconQuestion:
            return QMessageBox::Question;
        case MbIconExclamation:
            return QMessageBox::Warning;
        case MbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int AnswerFor(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return IdOk;
        case QMessageBox::Cancel:
            return IdCancel;
        case QMessageBox::Abort:
            return IdAbort;
        case QMessageBox::Retry:
            return IdRetry;
        case QMessageBox::Ignore:
            return IdIgnore;
        case QMessageBox::Yes:
            return IdYes;
        case QMessageBox::No:
            return IdNo;
        default:
            return -1;
    }
}

int ShowBox(const std::string& text, const std::string& caption, unsigned flags) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return DismissAnswer(flags);
    try {
        const ButtonSet set = ButtonsFor(flags);
        QMessageBox box(IconFor(flags), QString::fromStdString(caption),
                        QString::fromStdString(text), set.buttons);
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        QMessageBox::StandardButton def = set.first;
        if ((flags & 0xF00) == MbDefButton2 && set.second != QMessageBox::NoButton)
            def = set.second;
        if ((flags & 0xF00) == MbDefButton3 && set.third != QMessageBox::NoButton) def = set.third;
        box.setDefaultButton(def);
        const int answer = AnswerFor(box.exec());
        return answer > 0 ? answer : DismissAnswer(flags);
    } catch (const std::exception&) {
        // A box that cannot be shown must not take the caller down with it.
        return DismissAnswer(flags);
    }
}

}  // namespace

const std::string& ApplicationTitle() {
    return Title();
}
void SetApplicationTitle(const std::string& title) {
    Title() = title;
}

bool ModalDialogOpen() {
    return modalDialogOpen;
}
void SetModalDialogOpen(bool open) {
    modalDialogOpen = open;
}

ModalDialogScope::ModalDialogScope() : previous_(modalDialogOpen) {
    modalDialogOpen = true;
}
ModalDialogScope::~ModalDialogScope() {
    modalDialogOpen = previous_;
}

int DismissAnswer(unsigned flags) {
    switch (flags & 0xF) {
        case MbOkCancel:
        case MbYesNoCancel:
        case MbRetryCancel:
            return IdCancel;
        case MbYesNo:
            return IdNo;
        case MbAbortRetryIgnore:
            return IdAbort;
        default:
            return IdOk;
    }
}

int ShowMessage(const std::string& text, unsigned flags) {
    return ShowBox(text, ApplicationTitle(), flags);
}

int ShowCaptionedMessage(const std::string& text, const std::string& caption, unsigned flags) {
    ModalDialogScope modal;
    return ShowBox(text, caption, flags);
}

std::string AMErrorText(std::int32_t code) {
    std::string text = engine::ErrorText(code);
    if (text.size() > 127) text.resize(127);
    return text;
}

std::string ResultText(std::int32_t code) {
    const auto bits = static_cast<std::uint32_t>(code);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", bits);
    std::string text = AMErrorText(code);
    if (text.empty()) text = (bits & 0x80000000u) ? "Unknown error." : "Unknown result.";
    return std::string("error ") + hex + ": " + text;
}

}  // namespace quova
