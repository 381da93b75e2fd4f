#pragma once
// The platform services on Qt: modal message boxes and the folder of the executable.

#include "ui/Platform.h"

namespace tovask::qt {

// The title of the program's message boxes.
inline constexpr const char* kProgramTitle = "tovask";

class QtPlatform : public ui::Platform {
public:
    // A modal box over the active window with the text and one OK button; returns once
    // dismissed. The text is shown as written, never as markup.
    void showMessage(const std::string& title, const std::string& text) override;
    // The folder of the executable (the build copies data/ beside it).
    std::filesystem::path programFolder() const override;
};

} // namespace tovask::qt
