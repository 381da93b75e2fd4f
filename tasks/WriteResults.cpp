// Writes the results file of the whole list.
#include "core/Experiment.h"

#include "base/Failure.h"
#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "files/TextFile.h"

namespace tovask {

void Experiment::WriteResults() {
    const std::filesystem::path& path = resultsFile_;
    std::string text = resultsHeaderLine();
    for (pn = 1; pn <= *ProblemCount; pn = static_cast<std::int16_t>(pn + 1)) {
        Problem problem{orig[pn], pt[pn], a[pn], {0, e[1][pn], e[2][pn], e[3][pn]}};
        Outcome outcome;
        if (rev[pn])
            outcome.rev = *rev[pn];
        if (inv[pn])
            outcome.inv = *inv[pn];
        outcome.all = all[pn];
        text += resultsLine(pn, problem, outcome);
    }
    // An earlier run's file of this name is kept, once, before this run first writes its own.
    try {
        if (!resultsWritten_)
            keepEarlierFile(path);
        writeFileAtomically(path, text);
    } catch (const Failure& failure) {
        Record(logged::kResultsFailed, std::nullopt, path.string(), failure.what(), true);
        throw;
    }
    resultsWritten_ = true;
    Record(logged::kResultsWritten, std::nullopt, path.string(), {}, true);
}

} // namespace tovask
