#include "files/SessionPlan.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/ResultsFile.h"
#include "files/RunLog.h"
#include "files/TextFile.h"
#include "files/WordFile.h"

#include <map>

namespace tovask {

namespace {

// The header is the columns' names in their order, separated by commas.
constexpr bool headerNamesTheColumns() {
    std::string_view rest = SessionPlan::kHeader;
    for (const PlanColumn& column : SessionPlan::kColumns) {
        if (!rest.starts_with(column.name))
            return false;
        rest.remove_prefix(column.name.size());
        if (rest.starts_with(','))
            rest.remove_prefix(1);
    }
    return rest.empty();
}
static_assert(headerNamesTheColumns());

// The item of a field in a row (1 for the PC), for the messages.
constexpr int itemOf(std::string PlanRow::*field) {
    for (std::size_t i = 0; i < SessionPlan::kColumns.size(); ++i)
        if (SessionPlan::kColumns[i].field == field)
            return static_cast<int>(i) + 1;
    return 0;
}

// Windows compares computer names without regard to case.
std::string nameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

// The faults of one row's fields; true when the row can be used.
bool checkRow(const PlanRow& row, const std::string& file, Diagnostics& diagnostics) {
    bool usable = true;
    const auto fault = [&](int item, const std::string& message) {
        diagnostics.error({file, row.line, item}, message);
        usable = false;
    };
    if (row.pc.empty())
        fault(itemOf(&PlanRow::pc), "the PC's name is empty");
    try {
        checkDataFileName(row.inputDataFile);
    } catch (const Failure& failure) {
        fault(itemOf(&PlanRow::inputDataFile), failure.what());
    }
    if (wordFileName(row.language).empty())
        fault(itemOf(&PlanRow::language),
              "the language " + inQuotes(row.language) + " has no word file: English or Italian");
    if (row.treatment != "1" && row.treatment != "2")
        diagnostics.warning({file, row.line, itemOf(&PlanRow::treatment)},
                            "the treatment " + inQuotes(row.treatment) +
                                " is neither 1 nor 2: the run records it, but sets no treatment");
    for (const auto field : {&PlanRow::timeToWait, &PlanRow::readingTime})
        if (!wholeSeconds(row.*field))
            fault(itemOf(field),
                  inQuotes(row.*field) + " is not a whole number of seconds from 1 to 32767");
    return usable;
}

} // namespace

const PlanRow* SessionPlan::rowOf(std::string_view pc) const {
    const std::string key = nameKey(pc);
    for (const PlanRow& row : rows)
        if (nameKey(row.pc) == key)
            return &row;
    return nullptr;
}

std::filesystem::path sessionPlanPath(const std::filesystem::path& dataFolder) {
    return dataFolder / SessionPlan::kFileName;
}

SessionPlan parseSessionPlan(std::string_view bytes, const std::string& file,
                             Diagnostics& diagnostics) {
    const std::string text = decodeText(bytes);
    SessionPlan plan;
    std::map<std::string, int> pcs, dataFiles; // the line that names each first
    std::string_view rest = text;
    for (int line = 1; !rest.empty(); ++line) {
        const std::size_t end = rest.find('\n');
        std::string_view content = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        if (line == 1) {
            if (content != SessionPlan::kHeader)
                diagnostics.error({file, 1, 0}, "the first line must be the header \"" +
                                                    std::string(SessionPlan::kHeader) + "\"");
            continue;
        }
        if (content.empty())
            continue;
        const auto fields = splitCsvLine(content);
        if (!fields || fields->size() != SessionPlan::kColumns.size()) {
            diagnostics.error({file, line, 0}, "a row has six fields, separated by commas: " +
                                                   std::string(SessionPlan::kHeader));
            continue;
        }
        PlanRow row;
        row.line = line;
        for (std::size_t i = 0; i < fields->size(); ++i)
            row.*SessionPlan::kColumns[i].field = std::string(trimBlanks((*fields)[i]));
        if (!checkRow(row, file, diagnostics))
            continue;
        // Against the rows taken so far: a row left out claims neither its PC nor its file.
        const auto named = pcs.find(nameKey(row.pc));
        const auto given = dataFiles.find(row.inputDataFile);
        if (named != pcs.end())
            diagnostics.error({file, line, itemOf(&PlanRow::pc)},
                              "the PC " + inQuotes(row.pc) + " is named on line " +
                                  std::to_string(named->second) + " too");
        if (given != dataFiles.end())
            diagnostics.error({file, line, itemOf(&PlanRow::inputDataFile)},
                              "the input data file " + inQuotes(row.inputDataFile) +
                                  " is given to the PC on line " + std::to_string(given->second) +
                                  " too: two runs cannot write one results file");
        if (named != pcs.end() || given != dataFiles.end())
            continue;
        pcs.emplace(nameKey(row.pc), line);
        dataFiles.emplace(row.inputDataFile, line);
        plan.rows.push_back(std::move(row));
    }
    if (text.empty())
        diagnostics.error({file, 1, 0}, "the plan is empty: it needs the header \"" +
                                            std::string(SessionPlan::kHeader) + "\"");
    return plan;
}

SessionPlan readSessionPlan(const std::filesystem::path& path, Diagnostics& diagnostics) {
    return parseSessionPlan(readFileBytes(path, reading::kSessionPlan), path.string(), diagnostics);
}

std::string sessionPlanText(const std::vector<PlanRow>& rows) {
    std::string text = std::string(SessionPlan::kHeader) + "\r\n";
    for (const PlanRow& row : rows) {
        std::string_view separator;
        for (const PlanColumn& column : SessionPlan::kColumns) {
            text += separator;
            text += csvField(row.*column.field);
            separator = ",";
        }
        text += "\r\n";
    }
    return text;
}

} // namespace tovask
