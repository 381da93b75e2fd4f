#include "tools/console/Session.h"

#include "base/Failure.h"
#include "files/OperatingSystem.h"
#include "files/RunLock.h"
#include "files/RunLog.h"
#include "files/TextFile.h"
#include "tools/console/RunFiles.h"

#include <algorithm>

namespace tovask::console {

namespace fs = std::filesystem;

namespace {

// New per-PC folders are looked for this often; the runs of the folders at every poll.
constexpr auto kFindFoldersEvery = std::chrono::seconds(2);

bool samePc(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

bool going(const RunRow& row) {
    return !isOver(row.phase) && row.phase != Phase::NotStarted;
}

// A PC's parameters as the plan gives them, shown until its run records its own.
void takePlannedParameters(RunRow& row, const PlanRow& planned) {
    row.language = planned.language;
    row.treatment = planned.treatment;
    row.readingTime = planned.readingTime;
    row.waitingTime = planned.timeToWait;
}

} // namespace

Session::Session(std::vector<fs::path> given)
    : given_(std::move(given)), folders_(findDataFolders(given_)), machineId_(os::machineId()) {}

void Session::poll(Clock::time_point now, std::chrono::system_clock::time_point wallNow) {
    if (!foldersFoundAt_ || now - *foldersFoundAt_ >= kFindFoldersEvery) {
        try {
            folders_ = findDataFolders(given_);
        } catch (const Failure&) {
            // A folder given is gone for now (the share, say): the runs seen so far stay.
        }
        foldersFoundAt_ = now;
    }
    readPlans();
    std::set<std::string> seen;
    for (std::size_t f = 0; f < folders_.size(); ++f) {
        const fs::path& folder = folders_[f].path;
        const FolderFiles files = listFolder(folder);
        for (const std::string& name : files.runs) {
            const fs::path results = folder / name;
            auto [at, inserted] = runs_.try_emplace(results.string());
            if (inserted)
                at->second = {f, std::make_unique<RunWatch>(results, now)};
            at->second.folder = f;
            seen.insert(results.string());
            const auto holds = [&files](const fs::path& path) {
                return files.names.contains(path.filename().string());
            };
            at->second.watch->poll({holds(runLogPath(results)), holds(runLockPath(results)),
                                    holds(signOfLifePath(results)),
                                    holds(releaseRequestPath(results))},
                                   now, wallNow, machineId_);
        }
    }
    // A run whose log and lock are gone (moved away, or the folder is) is no longer shown.
    std::erase_if(runs_, [&seen](const auto& run) { return !seen.contains(run.first); });
}

void Session::readPlans() {
    PlanView plan;
    for (const DataFolder& folder : folders_) {
        const fs::path file = sessionPlanPath(folder.path);
        std::error_code error;
        if (!fs::exists(file, error))
            continue;
        plan.present = true;
        CollectErrors faults;
        SessionPlan read;
        try {
            read =
                parseSessionPlan(readFileBytes(file, reading::kSessionPlan), file.string(), faults);
        } catch (const Failure& failure) {
            faults.errors.push_back(failure.what());
        }
        plan.problems.insert(plan.problems.end(), faults.errors.begin(), faults.errors.end());
        for (const PlanRow& row : read.rows) {
            const auto same =
                std::find_if(plan.rows.begin(), plan.rows.end(),
                             [&row](const PlanRow& r) { return samePc(r.pc, row.pc); });
            if (same == plan.rows.end())
                plan.rows.push_back(row);
            else if (same->inputDataFile != row.inputDataFile)
                plan.problems.push_back(file.string() + ":" + std::to_string(row.line) +
                                        ": the plans of the folders differ: " + row.pc +
                                        " has the input data file " + row.inputDataFile +
                                        " here and " + same->inputDataFile + " in another");
        }
    }
    plan_ = std::move(plan);
}

std::string Session::idOf(const Watched& run) const {
    const std::string name = run.watch->resultsFile().filename().string();
    const std::string& label = folders_[run.folder].label;
    return label.empty() ? name : label + "/" + name;
}

PaymentList Session::payments() {
    readPlans();
    return collectPayments(folders_, [this](const DataFolder&, const std::string& inputDataFile) {
        for (const PlanRow& row : plan_.rows)
            if (row.inputDataFile == inputDataFile)
                return row.pc;
        return std::string();
    });
}

std::vector<RunRow> Session::rows(Clock::time_point now) const {
    std::vector<double> cycles;
    for (const auto& [path, run] : runs_)
        cycles.insert(cycles.end(), run.watch->cycles().begin(), run.watch->cycles().end());
    std::optional<double> sessionCycle;
    if (!cycles.empty()) {
        std::nth_element(cycles.begin(),
                         cycles.begin() + static_cast<std::ptrdiff_t>(cycles.size() / 2),
                         cycles.end());
        sessionCycle = cycles[cycles.size() / 2];
    }
    std::vector<RunRow> runs;
    for (const auto& [path, run] : runs_) {
        RunRow row = run.watch->row(now, sessionCycle);
        row.id = idOf(run);
        row.folder = folders_[run.folder].label;
        runs.push_back(std::move(row));
    }

    // Each PC of the plan takes the run of its input data file, unless that run names another
    // PC; a PC without a run is shown as not started.
    std::vector<RunRow> rows;
    std::vector<bool> taken(runs.size(), false);
    for (const PlanRow& planned : plan_.rows) {
        std::optional<std::size_t> match;
        for (std::size_t i = 0; i < runs.size() && !match; ++i)
            if (!taken[i] && runs[i].inputDataFile == planned.inputDataFile &&
                (runs[i].pc.empty() || samePc(runs[i].pc, planned.pc)))
                match = i;
        if (match) {
            taken[*match] = true;
            RunRow row = std::move(runs[*match]);
            if (row.pc.empty())
                row.pc = planned.pc;
            if (row.language.empty()) // the run has not recorded its parameters yet
                takePlannedParameters(row, planned);
            rows.push_back(std::move(row));
            continue;
        }
        RunRow row;
        row.id = "pc:" + planned.pc;
        row.pc = planned.pc;
        row.inputDataFile = planned.inputDataFile;
        takePlannedParameters(row, planned);
        row.stageText = "not started";
        for (const RunRow& other : runs)
            if (other.inputDataFile == planned.inputDataFile && going(other))
                row.warnings.push_back("the files are in use by another run" +
                                       (other.pc.empty() ? std::string() : " (" + other.pc + ")"));
        rows.push_back(std::move(row));
    }
    std::vector<RunRow> others;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (taken[i])
            continue;
        RunRow& row = runs[i];
        const auto planned =
            std::find_if(plan_.rows.begin(), plan_.rows.end(),
                         [&row](const PlanRow& p) { return samePc(p.pc, row.pc); });
        if (!row.pc.empty() && planned != plan_.rows.end())
            row.warnings.push_back("the plan gives this PC the input data file " +
                                   planned->inputDataFile);
        others.push_back(std::move(row));
    }
    std::stable_sort(others.begin(), others.end(), [](const RunRow& a, const RunRow& b) {
        if (a.pc.empty() != b.pc.empty())
            return b.pc.empty();
        if (naturalLess(a.pc, b.pc) || naturalLess(b.pc, a.pc))
            return naturalLess(a.pc, b.pc);
        return naturalLess(a.id, b.id);
    });
    rows.insert(rows.end(), std::make_move_iterator(others.begin()),
                std::make_move_iterator(others.end()));
    return rows;
}

Summary Session::summarize(const std::vector<RunRow>& rows) {
    Summary summary;
    for (const RunRow& row : rows) {
        ++summary.phases[static_cast<std::size_t>(row.phase)];
        if (row.secondsLeft)
            summary.secondsLeft = std::max(summary.secondsLeft.value_or(0), *row.secondsLeft);
    }
    return summary;
}

Session::Released Session::release(int hold, const std::optional<std::vector<std::string>>& chosen,
                                   Clock::time_point now) {
    Released result;
    const std::vector<RunRow> all = rows(now);
    const auto isChosen = [&chosen](const RunRow& row) {
        return !chosen || std::any_of(chosen->begin(), chosen->end(), [&row](const std::string& c) {
            return c == row.id || c == row.resultsFile;
        });
    };
    if (chosen)
        for (const std::string& c : *chosen)
            if (std::none_of(all.begin(), all.end(), [&c](const RunRow& row) {
                    return c == row.id || (!row.resultsFile.empty() && c == row.resultsFile);
                }))
                result.notReleased.emplace_back(c, "no such run");
    const std::string waiting = "not waiting at hold point " + std::to_string(hold);
    for (const RunRow& row : all) {
        if (!isChosen(row) || row.resultsFile.empty())
            continue;
        const auto run = std::find_if(runs_.begin(), runs_.end(),
                                      [&](const auto& r) { return idOf(r.second) == row.id; });
        if (run == runs_.end() || row.waitingAt != hold) {
            if (chosen)
                result.notReleased.emplace_back(row.id, waiting);
            continue;
        }
        // Every run waiting means those not yet asked; a run chosen by name is asked again.
        if (!chosen && row.releaseSent)
            continue;
        RunWatch& watch = *run->second.watch;
        const std::string started = watch.started();
        if (started.empty()) {
            result.notReleased.emplace_back(row.id,
                                            "its start is not known: no lock, no sign of life");
            continue;
        }
        try {
            replaceFile(releaseRequestPath(watch.resultsFile()),
                        releaseRequestText({started, hold}));
            watch.requestWritten();
            result.released.push_back(row.id);
        } catch (const Failure& failure) {
            result.notReleased.emplace_back(row.id, failure.what());
        }
    }
    return result;
}

std::vector<std::string> Session::writePlan(const std::vector<PlanRow>& rows) {
    const std::string text = sessionPlanText(rows);
    CollectErrors faults;
    parseSessionPlan(text, std::string(SessionPlan::kFileName), faults);
    if (rows.empty())
        faults.errors.push_back("the plan names no PC");
    if (!faults.errors.empty())
        return faults.errors;
    for (const DataFolder& folder : folders_) {
        try {
            writeFileAtomically(sessionPlanPath(folder.path), text);
        } catch (const Failure& failure) {
            faults.errors.push_back(failure.what());
        }
    }
    readPlans();
    return faults.errors;
}

} // namespace tovask::console
