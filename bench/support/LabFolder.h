#pragma once
// A lab PC's program folder for the benchmarks: a fresh temporary folder whose data/ holds the
// bundled English word file and a problem file of 100 problems, all six types in turn. Message
// boxes are answered at once and counted. With planSession(), the folder is one of a lab session.

#include "tests/support/ProgramFolder.h"
#include "ui/Services.h"

#include <filesystem>
#include <string>

namespace tovask::bench {

class LabFolder : public ui::Services {
public:
    static constexpr int kProblems = 100;

    LabFolder();
    LabFolder(const LabFolder&) = delete;
    LabFolder& operator=(const LabFolder&) = delete;

    void showMessage(const std::string&, const std::string&) override { ++messages; }
    bool ask(const std::string&, const std::string&) override {
        ++messages;
        return true;
    }
    std::filesystem::path programFolder() const override { return folder_.path(); }

    // A session plan in data/ (for another PC): the runs of the folder show a sign of life and
    // watch for release requests, as in a lab session run from the console.
    void planSession() const;

    // Removes what runs have written into data/ (results files, run logs and the earlier ones
    // kept beside them), so the next run starts in a folder as a lab PC has it.
    void clearOutputs() const;

    int messages = 0;

private:
    test::ProgramFolder folder_{"tovask-bench"};
};

// The problem file the folder holds: problem p has type 11, 12, 13, 21, 22, 23 for p = 1, 2, 3,
// 4, 5, 6 and so on in turn, so problems 1 to 3 are single sides and 4 to 6 pair sides.
std::string HundredProblems();

} // namespace tovask::bench
