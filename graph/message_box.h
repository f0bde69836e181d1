#pragma once

#include <cstdint>
#include <string>

namespace quova {

// Message box flags and answers keep the classic values, so that callers
// combine buttons, icon and default button with "|" as they always have.
enum MessageFlags : unsigned {
    MbOk = 0x0,
    MbOkCancel = 0x1,
    MbAbortRetryIgnore = 0x2,
    MbYesNoCancel = 0x3,
    MbYesNo = 0x4,
    MbRetryCancel = 0x5,
    MbIconStop = 0x10,
    MbIconQuestion = 0x20,
    MbIconExclamation = 0x30,
    MbIconInformation = 0x40,
    MbDefButton2 = 0x100,
    MbDefButton3 = 0x200,
};

enum MessageAnswer : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// The title message boxes are captioned with: "Quova" at start, the long
// title once start-up has run.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// Set while one of the program's modal dialogs or message boxes is shown; the
// topmost logic leaves the main window alone meanwhile.
bool ModalDialogOpen();
void SetModalDialogOpen(bool open);

// Sets ModalDialogOpen for its lifetime and puts back what was there before,
// so a box shown from a dialog does not clear the dialog's mark.
class ModalDialogScope {
  public:
    ModalDialogScope();
    ~ModalDialogScope();
    ModalDialogScope(const ModalDialogScope&) = delete;
    ModalDialogScope& operator=(const ModalDialogScope&) = delete;

  private:
    bool previous_;
};

// A modal, topmost message box captioned with the application title; returns
// the answer. Leaves ModalDialogOpen alone. Returns IdCancel (or IdNo, or IdOk
// when that is the only button) when the box cannot be shown.
int ShowMessage(const std::string& text, unsigned flags);

// The same under a given caption, with ModalDialogOpen set while it is shown.
int ShowCaptionedMessage(const std::string& text, const std::string& caption, unsigned flags);

// The answer a box gives when it is closed without a button (Escape, the
// window's close button): Cancel where there is one, else No, else OK.
int DismissAnswer(unsigned flags);

// The media layer's own text for a result code, at most 127 characters; ""
// for a code it does not know.
std::string AMErrorText(std::int32_t code);

// "error " + the code as 8 upper-case hexadecimal digits + ": " + its text.
// `code` is a 32-bit result code, negative for a failure.
std::string ResultText(std::int32_t code);

}  // namespace quova
