#pragma once
// The services of the platform that the experiment logic needs besides its controls.

#include <filesystem>
#include <string>

namespace tovask::ui {

// The title of every message box the program shows.
inline constexpr const char* kProgramTitle = "tovask";

class Services {
public:
    virtual ~Services() = default;
    // A modal message box with the text, one OK button and the title; returns once dismissed.
    virtual void showMessage(const std::string& title, const std::string& text) = 0;
    // A modal question with the text, the title and the buttons Yes and No, No the default;
    // true when Yes was chosen.
    virtual bool ask(const std::string& title, const std::string& text) = 0;
    // The folder that stands for the one holding the program; its data/ subfolder holds
    // the word files, the problem files and the results. Both windows run from the folder of
    // their executable, beside which the build, the zip and the package put data/.
    virtual std::filesystem::path programFolder() const;
};

} // namespace tovask::ui
