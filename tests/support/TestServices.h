#pragma once
// A platform for tests: a fresh program folder with its data/ subfolder, and message boxes and
// questions answered at once and recorded.

#include "tests/support/ProgramFolder.h"
#include "ui/Services.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tovask::test {

class TestServices : public ui::Services {
public:
    TestServices() = default;

    void showMessage(const std::string& title, const std::string& text) override {
        messages.emplace_back(title, text);
    }
    // Kept in questions, and answered as `yes` says.
    bool ask(const std::string& title, const std::string& text) override {
        questions.emplace_back(title, text);
        return yes;
    }
    std::filesystem::path programFolder() const override { return folder_.path(); }

    // Writes a file into data/ (bytes as given).
    void writeData(const std::string& name, const std::string& content) const;
    std::string readData(const std::string& name) const;
    // A word file whose text k is "<k>", so a caption shows which words it joins.
    void writeNumberedWords(const std::string& name = "english.wds") const;
    // Copies a bundled file of the project's data/ folder.
    void copyBundled(const std::string& name) const;

    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::pair<std::string, std::string>> questions;
    bool yes = true;

private:
    ProgramFolder folder_{"tovask-test"};
};

// "<k>": the text of word k in the numbered word file.
std::string W(int k);

} // namespace tovask::test
