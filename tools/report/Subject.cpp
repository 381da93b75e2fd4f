#include "tools/report/Subject.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/ProblemFile.h"
#include "files/RunLog.h"
#include "files/RunLogReader.h"
#include "files/TextFile.h"
#include "tools/report/HoutmanMaks.h"

#include <map>

namespace tovask::report {

namespace {

Decision decisionOf(const ResultsRecord& record) {
    Decision d;
    d.record = record;
    const Sides sides = sidesOf(record.pt).value_or(Sides{}); // the reader admits the six types
    d.rateOne = record.e[static_cast<std::size_t>(sides.one)];
    d.rateTwo = record.e[static_cast<std::size_t>(sides.two[0])];
    if (const auto all = record.outcome.all) {
        d.unitsOne = *all;
        d.unitsTwo = record.a - *all;
        d.moneyOne = d.rateOne * *d.unitsOne;
        d.moneyTwo = d.rateTwo * *d.unitsTwo;
        const double money = *d.moneyOne + *d.moneyTwo;
        if (money > 0)
            d.shareMoneyOne = *d.moneyOne / money;
        d.used = record.a > 0 && d.rateOne > 0 && d.rateTwo > 0;
        d.corner = d.used && (*all == 0 || *all == record.a);
    }
    return d;
}

Scope scopeOf(std::string name, const std::vector<const Decision*>& decisions) {
    Scope scope;
    scope.name = std::move(name);
    scope.problems = static_cast<int>(decisions.size());
    double shares = 0;
    for (const Decision* d : decisions) {
        if (!d->used)
            continue;
        ++scope.used;
        scope.lines.push_back({d->record.a, d->rateOne, d->rateTwo});
        scope.choices.push_back(choiceOn(scope.lines.back(), *d->unitsOne));
        shares += d->shareMoneyOne.value_or(0);
        scope.corners += d->corner ? 1 : 0;
    }
    if (scope.used > 0) {
        const Costs costs(scope.choices);
        scope.consistency = consistency(costs);
        scope.meanShareMoneyOne = shares / scope.used;
        scope.consistentProblems = largestConsistentSubset(costs);
        scope.moneyPump = moneyPump(costs);
    }
    return scope;
}

std::vector<Scope> scopesOf(const std::vector<Decision>& decisions) {
    std::vector<const Decision*> all;
    std::map<double, std::vector<const Decision*>> byType;
    for (const Decision& d : decisions) {
        all.push_back(&d);
        byType[d.record.pt].push_back(&d);
    }
    std::vector<Scope> scopes = {scopeOf("all", all)};
    for (const auto& [type, ofType] : byType) {
        Scope scope = scopeOf(doubleText(type), ofType);
        if (scope.used > 0)
            scopes.push_back(std::move(scope));
    }
    return scopes;
}

// Said where the times of the run log cannot be taken: the columns that stay empty.
std::string timesStayEmpty() {
    return "; " + std::string(logged::key::kDecisionMs) + " and " +
           std::string(logged::key::kMoves) + " stay empty";
}

std::string answerText(const std::optional<double>& all) {
    return all ? doubleText(*all) : "";
}

// The decision times of the log, where the log is the one of this results file: every answer it
// records for a problem of the file must be the file's.
void addTimes(Subject& subject, const std::string& logText, const std::string& logName,
              std::vector<std::string>& notes) {
    const ReadRunLog log = parseRunLog(logText, logName);
    std::map<int, const logread::ProblemAnswered*> answered; // the last answer of each problem
    for (const RunLogEvent& event : log.events)
        if (const auto* answer = event.as<logread::ProblemAnswered>())
            answered[answer->pn] = answer;
    int matched = 0;
    for (const Decision& d : subject.decisions) {
        const auto answer = answered.find(d.record.pn);
        if (answer == answered.end())
            continue;
        const std::string loggedText = answerText(answer->second->all);
        if (loggedText != answerText(d.record.outcome.all)) {
            notes.push_back(logName + ": left out: it is not the log of " + subject.name +
                            " (problem " + std::to_string(d.record.pn) + " was answered \"" +
                            loggedText + "\" in the log, \"" + answerText(d.record.outcome.all) +
                            "\" in the results file)" + timesStayEmpty());
            return;
        }
        ++matched;
    }
    if (matched == 0) {
        notes.push_back(logName + ": left out: it records no answer to a problem of " +
                        subject.name + timesStayEmpty());
        return;
    }
    if (!log.damagedLines.empty())
        notes.push_back(logName + ": " + std::to_string(log.damagedLines.size()) +
                        " lines cannot be read; the problems they answer have no decision time");
    for (Decision& d : subject.decisions) {
        const auto answer = answered.find(d.record.pn);
        if (answer == answered.end())
            continue;
        d.decisionMs = answer->second->decisionMs;
        d.moves = answer->second->moves;
    }
    subject.timed = true;
}

} // namespace

Subject subjectOf(const Source& source, std::string_view results,
                  const std::optional<std::string>& log, std::vector<std::string>& notes) {
    Subject subject;
    subject.name = source.name;
    subject.recovered = source.recovered;
    for (const ResultsRecord& record : parseResultsFile(results, source.name))
        subject.decisions.push_back(decisionOf(record));
    subject.scopes = scopesOf(subject.decisions);
    if (log && source.log) {
        const std::string logName = source.log->lexically_normal().generic_string();
        try {
            addTimes(subject, *log, logName, notes);
        } catch (const Failure& failure) {
            notes.push_back(logName + ": left out: " + failure.what());
        }
    }
    return subject;
}

void addPower(std::vector<Subject>& subjects, int draws) {
    if (draws <= 0)
        return;
    PowerSimulations simulations(draws);
    for (Subject& subject : subjects)
        for (Scope& scope : subject.scopes) {
            if (scope.used == 0)
                continue;
            scope.simulation = simulations.of(scope.lines);
        }
}

std::optional<double> Scope::power() const {
    if (!simulation)
        return std::nullopt;
    return simulation->power;
}

std::optional<double> Scope::cceiPercentile() const {
    if (!simulation)
        return std::nullopt;
    return simulation->shareBelow(consistency.ccei);
}

Subject readSubject(const Source& source, std::vector<std::string>& notes) {
    const std::string results = readFileBytes(source.file, reading::kResultsFile);
    std::optional<std::string> log;
    if (source.log) {
        try {
            log = readFileBytes(*source.log, reading::kRunLog);
        } catch (const Failure& failure) {
            notes.push_back(std::string(failure.what()) + timesStayEmpty());
        }
    }
    return subjectOf(source, results, log, notes);
}

} // namespace tovask::report
