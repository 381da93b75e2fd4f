#pragma once
// The lab session as the console sees it: every run found in the data folders and every PC of
// the session plan, as rows; the releases the experimenter asks for; the plan the console
// writes. It reads the folders only when polled and writes nothing but release requests and the
// plan, never a results file, a run log or a lock.

#include "files/SessionPlan.h"
#include "tools/console/DataFolders.h"
#include "tools/console/Payments.h"
#include "tools/console/RunWatch.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovask::console {

struct Summary {
    std::array<int, kPhases> phases{}; // rows per phase
    std::optional<double> secondsLeft; // until the last run has answered its last problem
};

// The session plan as the folders hold it, with what is wrong in it.
struct PlanView {
    std::vector<PlanRow> rows;
    std::vector<std::string> problems; // "file:line:item: message"
    bool present = false;
};

class Session {
public:
    explicit Session(std::vector<std::filesystem::path> given);

    // Looks at the folders again: new data folders and runs, what each run's files say now.
    // now is the console's clock; wallNow the computer's, to place what happened before.
    void poll(Clock::time_point now, std::chrono::system_clock::time_point wallNow);

    // Rows in the order of the plan's PCs, then the runs of no planned PC by PC and name.
    std::vector<RunRow> rows(Clock::time_point now) const;
    static Summary summarize(const std::vector<RunRow>& rows);
    const PlanView& plan() const { return plan_; }
    const std::vector<DataFolder>& folders() const { return folders_; }
    // The payment list of the folders' run logs, as they are now.
    PaymentList payments();

    // Writes a request to release each run chosen (by id or results file name; when nothing is
    // chosen, every run that has not been asked yet) that waits at the hold point. Gives the
    // ids of the runs asked, and for each run chosen that is not, why.
    struct Released {
        std::vector<std::string> released;
        std::vector<std::pair<std::string, std::string>> notReleased; // id, why
    };
    Released release(int hold, const std::optional<std::vector<std::string>>& chosen,
                     Clock::time_point now);

    // Writes the plan of these rows into every data folder, once every row is right; otherwise
    // writes nothing. Gives the faults ("session.csv:3:2: ..."); empty when it was written.
    std::vector<std::string> writePlan(const std::vector<PlanRow>& rows);

    // The machine id the console compares locks with; for tests.
    void setMachineId(std::string id) { machineId_ = std::move(id); }

private:
    struct Watched {
        std::size_t folder = 0;
        std::unique_ptr<RunWatch> watch;
    };
    std::string idOf(const Watched& run) const;
    void readPlans();

    std::vector<std::filesystem::path> given_;
    std::vector<DataFolder> folders_;
    std::map<std::string, Watched> runs_; // by the results file's path
    PlanView plan_;
    std::map<std::string, std::string> planTexts_; // the plan file of each folder, as read
    std::string machineId_;
    std::optional<Clock::time_point> foldersFoundAt_;
};

} // namespace tovask::console
