#pragma once
// A throw-away folder that stands for the one holding the program, with its data/ subfolder:
// made fresh under the system's temporary folder, removed with everything in it at the end.

#include <filesystem>
#include <string>

namespace tovask::test {

class ProgramFolder {
public:
    // prefix names the folder for whoever finds it left behind: "tovask-test".
    explicit ProgramFolder(const std::string& prefix);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path data() const { return path_ / "data"; }

private:
    std::filesystem::path path_;
};

} // namespace tovask::test
