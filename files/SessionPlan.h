#pragma once
// The session plan, data/session.csv: which input data file, language, treatment and times each
// PC of a lab session runs with. A PC named in it starts with its parameter screen filled in,
// and where the plan exists every run shows a sign of life and watches for release requests of
// the session console. The console writes it; tovask-check checks it.

#include "files/Diagnostics.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovask {

// One PC's row; the texts as the parameter screen takes them.
struct PlanRow {
    int line = 0; // in the file, 1-based (the header is line 1)
    std::string pc;
    std::string inputDataFile;
    std::string language;
    std::string treatment;
    std::string timeToWait;
    std::string readingTime;
};

// A column of the plan: its name in the header (and in the console's page) and the field of a
// row it fills.
struct PlanColumn {
    std::string_view name;
    std::string PlanRow::*field;
};

struct SessionPlan {
    static constexpr std::string_view kHeader =
        "pc,input_data_file,language,treatment,time_to_wait,reading_time";
    // The columns in the order of the header.
    static constexpr std::array<PlanColumn, 6> kColumns{
        {{"pc", &PlanRow::pc},
         {"input_data_file", &PlanRow::inputDataFile},
         {"language", &PlanRow::language},
         {"treatment", &PlanRow::treatment},
         {"time_to_wait", &PlanRow::timeToWait},
         {"reading_time", &PlanRow::readingTime}}};
    static constexpr std::string_view kFileName = "session.csv";

    std::vector<PlanRow> rows;

    // The row of a PC; PC names compare without regard to case, as Windows names them. Nothing
    // when the PC is not in the plan.
    const PlanRow* rowOf(std::string_view pc) const;
};

// The plan of a data folder: data/session.csv.
std::filesystem::path sessionPlanPath(const std::filesystem::path& dataFolder);

// Reads a plan's text (UTF-8 or Windows-1252, CR LF or LF), reporting each fault as
// file:line:item to the diagnostics: a wrong header, a row without six fields, an empty PC
// name, an input data file text that cannot be part of a file name, a language without a word
// file, a time that is not a whole number of seconds from 1 to 32767, a PC named twice, an input
// data file given to two PCs. Rows with a fault are left out. With ThrowOnError the first fault
// is thrown as a tovask::Failure.
SessionPlan parseSessionPlan(std::string_view text, const std::string& file,
                             Diagnostics& diagnostics);
// Reads the plan file; throws tovask::Failure naming it when it cannot be read.
SessionPlan readSessionPlan(const std::filesystem::path& path, Diagnostics& diagnostics);

// The text of a plan of these rows (the header, then one CSV line per row, CR LF ends).
std::string sessionPlanText(const std::vector<PlanRow>& rows);

} // namespace tovask
