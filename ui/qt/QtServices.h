#pragma once
// The platform services on Qt: modal message boxes and questions.

#include "ui/Services.h"

namespace tovask::qt {

class QtServices : public ui::Services {
public:
    // A modal box over the active window with the text and one OK button; returns once
    // dismissed. The text is shown as written, never as markup.
    void showMessage(const std::string& title, const std::string& text) override;
    // The same box with Yes and No; No is the default and Escape's answer.
    bool ask(const std::string& title, const std::string& text) override;
};

} // namespace tovask::qt
