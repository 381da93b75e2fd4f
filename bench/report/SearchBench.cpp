// The searches of tovask-report that may take exponential time, timed one scope at a time on the
// results files of the folders named: prints the worst time of the Houtman-Maks search and of
// the money pump search over all scopes, and how many figures were not proved within the budget.
//     bench_report_search FOLDER...
#include "tools/report/HoutmanMaks.h"
#include "tools/report/MoneyPump.h"
#include "tools/report/Sources.h"
#include "tools/report/Subject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

using namespace tovask::report;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const Found found = findResultsFiles(std::vector<std::filesystem::path>(argv + 1, argv + argc));
    double worstHmi = 0;
    double worstPump = 0;
    int unproved = 0;
    for (const Source& source : found.sources) {
        std::vector<std::string> notes;
        const Subject subject = readSubject(source, notes);
        for (const Scope& scope : subject.scopes) {
            const Costs costs(scope.choices);
            Clock::time_point start = Clock::now();
            const Bounds<int> kept = largestConsistentSubset(costs);
            worstHmi = std::max(worstHmi, millisecondsSince(start));
            start = Clock::now();
            const MoneyPump pump = moneyPump(costs);
            worstPump = std::max(worstPump, millisecondsSince(start));
            unproved +=
                (kept.exact() ? 0 : 1) + (pump.least.exact() ? 0 : 1) + (pump.most.exact() ? 0 : 1);
        }
    }
    std::printf("report_hmi_worst_ms %.3f\nreport_mpi_worst_ms %.3f\nreport_unproved %d\n",
                worstHmi, worstPump, unproved);
}
