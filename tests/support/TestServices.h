#pragma once
// A platform for tests: a fresh program folder with its data/ subfolder, and message boxes
// answered at once and recorded.

#include "ui/Services.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tovask::test {

class TestServices : public ui::Services {
public:
    TestServices();
    ~TestServices() override;

    void showMessage(const std::string& title, const std::string& text) override {
        messages.emplace_back(title, text);
    }
    std::filesystem::path programFolder() const override { return folder_; }

    // Writes a file into data/ (bytes as given).
    void writeData(const std::string& name, const std::string& content) const;
    std::string readData(const std::string& name) const;
    // A word file whose text k is "<k>", so a caption shows which words it joins.
    void writeNumberedWords(const std::string& name = "english.wds") const;
    // Copies a bundled file of the project's data/ folder.
    void copyBundled(const std::string& name) const;

    std::vector<std::pair<std::string, std::string>> messages;

private:
    std::filesystem::path folder_;
};

// Why a folder without write permission would not stop this process writing into it (the
// superuser on POSIX; on Windows a folder's read-only flag never does), or empty.
std::string whyReadOnlyFoldersAreWritable();

// "<k>": the text of word k in the numbered word file.
std::string W(int k);

} // namespace tovask::test
