#pragma once
// The platform of the headless runner: the program folder is given, and every message box is
// answered with OK at once and kept until the next dump lists it.

#include "ui/Services.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tovask::script {

struct Message {
    std::string title;
    std::string text;
};

class HeadlessServices : public ui::Services {
public:
    explicit HeadlessServices(std::filesystem::path programFolder);

    void showMessage(const std::string& title, const std::string& text) override;
    // Kept like a message, and answered Yes at once, as a message is answered OK.
    bool ask(const std::string& title, const std::string& text) override;
    std::filesystem::path programFolder() const override { return programFolder_; }

    // The messages shown since the last call, oldest first; they are forgotten here.
    std::vector<Message> takeMessages();

private:
    std::filesystem::path programFolder_;
    std::vector<Message> messages_;
};

} // namespace tovask::script
