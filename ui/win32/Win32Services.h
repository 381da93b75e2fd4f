#pragma once
// The platform services on Win32: modal message boxes and questions.

#include "ui/Services.h"

namespace tovask::win32 {

// A modal box titled title, with the text as written, one OK button and (when critical) the
// error icon.
void showModalMessage(const std::string& title, const std::string& text, bool critical);

class Win32Services : public ui::Services {
public:
    // A modal box over the active window with the text as written and one OK button; returns
    // once dismissed.
    void showMessage(const std::string& title, const std::string& text) override;
    // The same box with Yes and No; No is the default button.
    bool ask(const std::string& title, const std::string& text) override;
};

} // namespace tovask::win32
