#include "tools/console/Payments.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/ProblemFile.h"
#include "files/RunLog.h"
#include "files/RunLogReader.h"
#include "files/TextFile.h"
#include "files/WordFile.h"
#include "tools/console/RunFiles.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>
#include <tuple>

namespace tovask::console {

namespace fs = std::filesystem;

namespace {

// The colour names of a language as the word files of the folder hold them; read once each.
class ColourNames {
public:
    explicit ColourNames(std::vector<std::string>& problems) : problems_(problems) {}

    const WordTable* of(const fs::path& folder, const std::string& language) {
        const std::string name = wordFileName(language);
        if (name.empty()) {
            problems_.push_back("the language \"" + language + "\" has no word file");
            return nullptr;
        }
        const fs::path file = folder / name;
        auto [at, inserted] = tables_.try_emplace(file.string());
        if (inserted) {
            try {
                // The colour names are taken as far as the file gives them.
                CollectErrors errors;
                at->second = readWordFile(file, errors);
                if (!errors.errors.empty())
                    problems_.push_back(errors.errors.front());
            } catch (const Failure& failure) {
                problems_.push_back(failure.what());
                at->second.reset();
            }
        }
        return at->second ? &*at->second : nullptr;
    }

private:
    std::vector<std::string>& problems_;
    std::map<std::string, std::optional<WordTable>> tables_;
};

// What the payment list needs from a log: the parameters, each problem's type and the task
// played out.
struct LoggedRun {
    std::map<std::string, std::string> parameters;
    std::map<int, double> types;
    std::optional<logread::PlayedOut> playedOut;
};

LoggedRun readLoggedRun(const fs::path& log) {
    LoggedRun run;
    for (const RunLogEvent& event :
         parseRunLog(readFileBytes(log, reading::kRunLog), log.string()).events) {
        if (const auto* parameter = event.as<logread::Parameter>())
            run.parameters[parameter->name] = parameter->value;
        else if (const auto* shown = event.as<logread::ProblemShown>())
            run.types[shown->pn] = shown->pt;
        else if (const auto* played = event.as<logread::PlayedOut>())
            run.playedOut = *played;
    }
    return run;
}

// The colour names of the two sides of a problem of a known type as the subject saw them: a
// pair in colour order, joined by word 19.
std::pair<std::string, std::string> sideNames(const WordTable& words, double pt) {
    const Sides sides = sidesOf(pt).value_or(Sides{});
    const auto name = [&words](int group) {
        return words.words[static_cast<std::size_t>(36 + group)];
    };
    return {name(sides.one), isPairType(pt)
                                 ? name(sides.two[0]) + words.words[19] + name(sides.two[1])
                                 : name(sides.two[0])};
}

std::string parameterOf(const LoggedRun& run, std::string_view name) {
    const auto found = run.parameters.find(std::string(name));
    return found == run.parameters.end() ? std::string() : found->second;
}

} // namespace

PaymentList collectPayments(const std::vector<DataFolder>& folders, const PlannedPc& plannedPc) {
    PaymentList list;
    ColourNames colours(list.problems);
    for (const DataFolder& folder : folders) {
        const FolderFiles files = listFolder(folder.path);
        for (const std::string& results : files.runs) {
            const fs::path log = runLogPath(folder.path / results);
            if (!files.names.contains(log.filename().string()))
                continue; // a run that holds its lock and has no log yet
            LoggedRun run;
            try {
                run = readLoggedRun(log);
            } catch (const Failure& failure) {
                list.problems.push_back(failure.what());
                continue;
            }
            if (!run.playedOut)
                continue;
            Payment payment;
            payment.folder = folder.label;
            payment.inputDataFile = parameterOf(run, logged::kDataFileText);
            payment.pc = plannedPc(folder, payment.inputDataFile);
            payment.resultsFile = results;
            payment.task = run.playedOut->pn;
            payment.unitsOne = run.playedOut->unitsOne;
            payment.unitsTwo = run.playedOut->unitsTwo;
            payment.moneyOne = run.playedOut->moneyOne;
            payment.moneyTwo = run.playedOut->moneyTwo;
            // The type of the task as it was shown; 0 (no type) when it never was.
            const auto type = run.types.find(payment.task);
            const double pt = type == run.types.end() ? 0 : type->second;
            const WordTable* words = colours.of(folder.path, parameterOf(run, logged::kLanguage));
            if (!isKnownType(pt))
                list.problems.push_back(log.string() + ": the task played out, " +
                                        std::to_string(payment.task) +
                                        ", was never shown: its colour groups are not known");
            else if (words)
                std::tie(payment.sideOneGroups, payment.sideTwoGroups) = sideNames(*words, pt);
            list.payments.push_back(std::move(payment));
        }
    }
    std::stable_sort(list.payments.begin(), list.payments.end(),
                     [](const Payment& a, const Payment& b) {
                         if (a.pc.empty() != b.pc.empty())
                             return b.pc.empty();
                         if (naturalLess(a.pc, b.pc) || naturalLess(b.pc, a.pc))
                             return naturalLess(a.pc, b.pc);
                         return naturalLess(a.resultsFile, b.resultsFile);
                     });
    std::map<std::string, double> totals;
    for (const Payment& p : list.payments) {
        totals[p.sideOneGroups] += p.moneyOne;
        totals[p.sideTwoGroups] += p.moneyTwo;
    }
    for (const auto& [group, money] : totals)
        list.byGroup.push_back({group, money});
    return list;
}

std::string paymentsCsv(const PaymentList& list) {
    std::string text = "pc,input_data_file,results_file,task,side_one_groups,units_one,money_one,"
                       "side_two_groups,units_two,money_two\r\n";
    for (const Payment& p : list.payments)
        text += csvField(p.pc) + "," + csvField(p.inputDataFile) + "," + csvField(p.resultsFile) +
                "," + std::to_string(p.task) + "," + csvField(p.sideOneGroups) + "," +
                doubleText(p.unitsOne) + "," + doubleText(p.moneyOne) + "," +
                csvField(p.sideTwoGroups) + "," + doubleText(p.unitsTwo) + "," +
                doubleText(p.moneyTwo) + "\r\n";
    return text;
}

std::string paymentsByGroupCsv(const PaymentList& list) {
    std::string text = "group,money\r\n";
    for (const GroupTotal& total : list.byGroup)
        text += csvField(total.group) + "," + doubleText(total.money) + "\r\n";
    return text;
}

fs::path byGroupPath(const fs::path& paymentsFile) {
    fs::path stem = paymentsFile.stem();
    return paymentsFile.parent_path() /
           (stem.string() + "-by-group" + paymentsFile.extension().string());
}

void writePayments(const PaymentList& list, const fs::path& file) {
    writeFileAtomically(file, paymentsCsv(list));
    writeFileAtomically(byGroupPath(file), paymentsByGroupCsv(list));
}

} // namespace tovask::console
