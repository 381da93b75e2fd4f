#include "tools/report/Tables.h"

#include "base/Numbers.h"
#include "files/RunLog.h"

#include <cstdint>

namespace tovask::report {

namespace {

class CsvLine {
public:
    CsvLine& operator<<(const std::string& field) {
        if (fields_ > 0)
            text_ += ',';
        text_ += field;
        ++fields_;
        return *this;
    }
    CsvLine& operator<<(double value) { return *this << doubleText(value); }
    CsvLine& operator<<(int value) { return *this << std::to_string(value); }
    CsvLine& operator<<(std::int64_t value) { return *this << std::to_string(value); }
    template <typename T> CsvLine& operator<<(const std::optional<T>& value) {
        return value ? *this << *value : *this << std::string();
    }
    std::string text() const { return text_ + "\n"; }

private:
    std::string text_;
    int fields_ = 0;
};

} // namespace

std::string decisionsCsv(const std::vector<Subject>& subjects) {
    // The last two columns come from the run log and bear its names.
    std::string csv = "results_file,pn,orig,pt,a,e1,e2,e3,rev,inv,all,units_one,units_two,"
                      "rate_one,rate_two,money_one,money_two,share_money_one," +
                      std::string(logged::key::kDecisionMs) + "," +
                      std::string(logged::key::kMoves) + "\n";
    for (const Subject& subject : subjects) {
        const std::string file = csvField(subject.name);
        for (const Decision& d : subject.decisions) {
            const ResultsRecord& r = d.record;
            CsvLine line;
            line << file << r.pn << r.orig << r.pt << r.a << r.e[1] << r.e[2] << r.e[3]
                 << r.outcome.rev << r.outcome.inv.value_or(0) << r.outcome.all << d.unitsOne
                 << d.unitsTwo << d.rateOne << d.rateTwo << d.moneyOne << d.moneyTwo
                 << d.shareMoneyOne << d.decisionMs << d.moves;
            csv += line.text();
        }
    }
    return csv;
}

namespace {

// What the table writes for each bound; proved where the two are the same.
template <typename T, typename Figure>
std::optional<double> proved(const Bounds<T>& bounds, Figure figure) {
    const double low = figure(bounds.low);
    return low == figure(bounds.high) ? std::optional(low) : std::nullopt;
}

double pumpFigure(double index) {
    return roundedTo(index, 6);
}

} // namespace

SearchFigures searchFigures(const Scope& scope) {
    if (scope.used == 0)
        return {};
    const auto hmi = [&](int kept) { return static_cast<double>(kept) / scope.used; };
    return {proved(scope.consistentProblems, hmi), proved(scope.moneyPump.least, pumpFigure),
            proved(scope.moneyPump.most, pumpFigure)};
}

std::string searchNote(const Scope& scope) {
    const SearchFigures figures = searchFigures(scope);
    if (scope.used == 0)
        return "";
    std::string unproved;
    const auto add = [&](const std::optional<double>& figure, const char* name, double low,
                         double high) {
        if (!figure)
            unproved += std::string(unproved.empty() ? "" : ", ") + name + " between " +
                        doubleText(low) + " and " + doubleText(high);
    };
    const Bounds<int>& kept = scope.consistentProblems;
    add(figures.hmi, "hmi", static_cast<double>(kept.low) / scope.used,
        static_cast<double>(kept.high) / scope.used);
    const MoneyPump& pump = scope.moneyPump;
    add(figures.mpiMin, "mpi_min", pumpFigure(pump.least.low), pumpFigure(pump.least.high));
    add(figures.mpiMax, "mpi_max", pumpFigure(pump.most.low), pumpFigure(pump.most.high));
    return unproved.empty() ? "" : unproved + ": not proved within the search budget";
}

std::string subjectsCsv(const std::vector<Subject>& subjects) {
    std::string csv = "results_file,scope,problems,used,garp_violations,ccei,"
                      "mean_share_money_one,corner_choices,hmi,mpi_min,mpi_max,power,"
                      "ccei_percentile,note\n";
    for (const Subject& subject : subjects) {
        for (const Scope& scope : subject.scopes) {
            const bool measured = scope.used > 0;
            const SearchFigures figures = searchFigures(scope);
            CsvLine line;
            line << csvField(subject.name) << scope.name << scope.problems << scope.used
                 << scope.consistency.violations
                 << (measured ? doubleText(scope.consistency.ccei) : std::string())
                 << scope.meanShareMoneyOne << scope.corners << figures.hmi << figures.mpiMin
                 << figures.mpiMax << scope.power() << scope.cceiPercentile()
                 << csvField(searchNote(scope));
            csv += line.text();
        }
    }
    return csv;
}

} // namespace tovask::report
