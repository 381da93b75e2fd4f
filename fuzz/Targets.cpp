#include "fuzz/Targets.h"

#include "base/Failure.h"
#include "core/Experiment.h"
#include "files/ItemReader.h"
#include "files/ProblemFile.h"
#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "files/TextFile.h"
#include "files/WordFile.h"
#include "tools/recover/Recovery.h"
#include "tools/report/Tables.h"
#include "tools/script/HeadlessServices.h"
#include "tools/script/ScriptReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

namespace tovask::fuzz {

namespace {

// Reports a broken rule and aborts, which the fuzzer takes for a crash.
void require(bool rule, const char* what) {
    if (!rule) {
        std::fprintf(stderr, "broken rule: %s\n", what);
        std::abort();
    }
}

// The data checker's way: every finding is kept and the reader goes on.
class GoOn : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override {
        describe(where, message);
        ++errors;
    }
    void warning(const Location& where, const std::string& message) override {
        describe(where, message);
    }
    int errors = 0;
};

} // namespace

void itemReader(std::string_view bytes) {
    GoOn diagnostics;
    ItemReader reader(decodeText(bytes), "fuzz");
    std::size_t items = 0;
    while (!reader.atEnd()) {
        const Location before = reader.position();
        const Item item = reader.next(diagnostics, "an item");
        numberItem(item, diagnostics, "a number");
        require(item.where.line >= before.line, "an item starts before the position reported");
        // Every item takes at least one character (a comma or a line end for an empty one),
        // so a reader that stopped moving would loop forever.
        require(++items <= bytes.size() + 1, "the reader stopped moving");
    }
}

void wordFile(std::string_view bytes) {
    GoOn diagnostics;
    const WordTable table = parseWordFile(bytes, "fuzz.wds", diagnostics);
    require(table.count >= 0 && table.count <= WordTable::kMaxWords, "word count out of range");
    for (int k = table.count + 1; k <= WordTable::kMaxWords; ++k)
        require(table.words[static_cast<std::size_t>(k)].empty(), "a word beyond the count");
    ThrowOnError stopAtError;
    try {
        parseWordFile(bytes, "fuzz.wds", stopAtError);
        require(diagnostics.errors == 0, "the program read a file with errors");
    } catch (const Failure&) {
        require(diagnostics.errors > 0, "the program stopped at a file without errors");
    }
}

void problemFile(std::string_view bytes) {
    GoOn diagnostics;
    const ProblemList list =
        parseProblemFile(bytes, "fuzz.inp", diagnostics, [](int, const Location&) {});
    require(list.count >= 0 && list.count <= ProblemList::kMaxProblems,
            "problem count out of range");
    ThrowOnError stopAtError;
    try {
        const ProblemList read =
            parseProblemFile(bytes, "fuzz.inp", stopAtError, [](int, const Location&) {});
        require(diagnostics.errors == 0, "the program read a file with errors");
        require(read.count >= 1 && read.maxAmount > 0, "the program read an unusable list");
    } catch (const Failure&) {
        require(diagnostics.errors > 0, "the program stopped at a file without errors");
    }
}

void scriptReader(std::string_view bytes) {
    // One loaded window for every input: refusal() only reads it.
    static script::HeadlessServices services("/nonexistent-tovask-folder");
    static Experiment* const window = [] {
        static Experiment experiment(services);
        experiment.Experiment_Load();
        return &experiment;
    }();
    int lineNumber = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        const script::Parsed parsed = script::parseLine(line, ++lineNumber);
        if (const auto* event = std::get_if<script::Event>(&parsed))
            script::refusal(*event, lineNumber, *window);
        else if (const auto* bad = std::get_if<script::BadLine>(&parsed))
            require(bad->line == lineNumber && !bad->message().empty(), "a bad line unnamed");
    }
}

void runLog(std::string_view bytes) {
    static const ProblemList problems = [] {
        ThrowOnError stopAtError;
        return readProblemFile(std::string(TOVASK_SOURCE_DATA) + "/inp01.001", stopAtError,
                               [](int, const Location&) {});
    }();
    // Whatever a field holds (a typed parameter, a failure message), it reads back unchanged.
    const auto field = splitCsvLine(csvField(bytes));
    require(field && field->size() == 1 && (*field)[0] == bytes, "a CSV field does not read back");
    try {
        const ReadRunLog log = parseRunLog(bytes, "fuzz.log");
        const recover::Recovered recovered =
            recover::rebuildResults(log, problems, "fuzz.log", "inp01.001");
        for (const int pn : recovered.answered)
            require(pn >= 1 && pn <= problems.count, "a rebuilt line of no problem of the list");
    } catch (const Failure&) {
        // Not a run log, or one of another problem file: refused with a message.
    }
}

void resultsFile(std::string_view bytes) {
    std::vector<ResultsRecord> records;
    try {
        records = parseResultsFile(bytes, "fuzz");
    } catch (const Failure&) {
        return; // refused with a message
    }
    std::string again = resultsHeaderLine();
    for (const ResultsRecord& r : records) {
        const Problem p{r.orig,
                        r.pt,
                        r.a,
                        {0, static_cast<float>(r.e[1]), static_cast<float>(r.e[2]),
                         static_cast<float>(r.e[3])}};
        again += resultsLine(r.pn, p, r.outcome);
    }
    require(again == bytes, "a results file read back is not what the writer makes of it");
    std::vector<std::string> notes;
    const std::vector<report::Subject> subjects = {
        report::subjectOf({"fuzz", "fuzz", false, std::nullopt}, bytes, std::nullopt, notes)};
    for (const report::Scope& scope : subjects[0].scopes)
        require(scope.consistency.ccei >= 0 && scope.consistency.ccei <= 1, "a CCEI beyond [0, 1]");
    report::decisionsCsv(subjects);
    report::subjectsCsv(subjects);
}

} // namespace tovask::fuzz
