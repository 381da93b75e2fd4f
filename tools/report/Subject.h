#pragma once
// One results file as researchers analyse it: each problem's choice in units and money, the
// decision times of its run log, and the consistency of the choices, over all problems and
// within each type.

#include "files/ResultsFile.h"
#include "tools/report/Consistency.h"
#include "tools/report/MoneyPump.h"
#include "tools/report/Power.h"
#include "tools/report/Sources.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::report {

struct Decision {
    ResultsRecord record;
    double rateOne = 0; // the rate of side one; a pair side's is that of its first member
    double rateTwo = 0;
    // Empty where the problem was not answered; the share also where no money was at stake.
    std::optional<double> unitsOne;
    std::optional<double> unitsTwo;
    std::optional<double> moneyOne;
    std::optional<double> moneyTwo;
    std::optional<double> shareMoneyOne;
    // From the run log; empty without one.
    std::optional<std::int64_t> decisionMs;
    std::optional<std::int64_t> moves;
    // Answered, with a > 0 and both rates > 0: a choice on a budget line.
    bool used = false;
    // Used, and all units to one side.
    bool corner = false;
};

struct Scope {
    std::string name; // "all", or a type: "11" ... "23"
    int problems = 0;
    int used = 0;
    Consistency consistency;
    std::optional<double> meanShareMoneyOne; // over the used problems
    int corners = 0;
    std::vector<BudgetLine> lines;  // of the used problems
    std::vector<Choice> choices;    // on them
    Bounds<int> consistentProblems; // the Houtman-Maks index times used
    MoneyPump moneyPump;
    // Set by addPower, where there are simulated subjects.
    std::shared_ptr<const Power> simulation; // shared by the scopes of the same budget lines

    // The power of the scope's budget lines, and the share of the simulated subjects whose CCEI
    // is below the scope's; nothing without simulated subjects.
    std::optional<double> power() const;
    std::optional<double> cceiPercentile() const;
};

struct Subject {
    std::string name; // the results file as the tables name it
    bool recovered = false;
    bool timed = false; // decision times and moves came from the run log
    std::vector<Decision> decisions;
    std::vector<Scope> scopes; // "all", then each type with a used problem, in type order

    // The scope of all the subject's problems.
    const Scope& all() const { return scopes.front(); }
};

// The subject of a results file (bytes) and of its run log (bytes, when there is one). Throws
// tovask::Failure when the results file is malformed. What the experimenter should know about
// the log is added to notes.
Subject subjectOf(const Source& source, std::string_view results,
                  const std::optional<std::string>& log, std::vector<std::string>& notes);

// The power of each scope's budget lines and where its CCEI stands among the simulated subjects'
// (Power.h): each list of budget lines simulated once. Nothing where draws is 0.
void addPower(std::vector<Subject>& subjects, int draws);

// Reads the files of the source. Throws tovask::Failure naming the file when the results file
// cannot be read or is malformed; a log that cannot be read is noted and left out.
Subject readSubject(const Source& source, std::vector<std::string>& notes);

} // namespace tovask::report
