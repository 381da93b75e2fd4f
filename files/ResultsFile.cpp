#include "files/ResultsFile.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "files/Diagnostics.h"
#include "files/OperatingSystem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tovask {

std::string resultsHeaderLine() {
    return "pn orig(pn) pt(pn) a(pn) e(1,pn) e(2,pn) e(3,pn) rev(pn) inv(pn) all(pn)\r\n";
}

std::string resultsLine(int pn, const Problem& problem, const Outcome& outcome) {
    std::string line = std::to_string(pn);
    const auto field = [&line](const std::string& text) {
        line += ' ';
        line += text;
    };
    field(doubleText(problem.orig));
    field(doubleText(problem.pt));
    field(doubleText(problem.a));
    for (int k = 1; k <= 3; ++k)
        field(singleText(problem.e[k]));
    // An empty value is written as nothing, which leaves two blanks side by side.
    field(outcome.rev ? std::to_string(*outcome.rev) : "");
    field(std::to_string(outcome.inv.value_or(0)));
    field(outcome.all ? doubleText(*outcome.all) : "");
    return line + "\r\n";
}

bool isPossibleAnswer(double all, double a) {
    return std::isfinite(all) && all >= std::min(0.0, a) && all <= std::max(0.0, a);
}

namespace {

constexpr const char* kFieldNames[] = {"pn",      "orig(pn)", "pt(pn)",  "a(pn)",   "e(1,pn)",
                                       "e(2,pn)", "e(3,pn)",  "rev(pn)", "inv(pn)", "all(pn)"};
constexpr std::size_t kFields = std::size(kFieldNames);

// The fields of one line of a results file, each checked to be the text the program writes.
class ResultsLineReader {
public:
    ResultsLineReader(std::string_view text, const std::string& file, int line)
        : file_(file), line_(line) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t blank = text.find(' ', start);
            fields_.push_back(text.substr(start, blank - start));
            if (blank == std::string_view::npos)
                break;
            start = blank + 1;
        }
        if (fields_.size() != kFields)
            fail(0, "the line has " + std::to_string(fields_.size()) +
                        " fields separated by single blanks; a results line has " +
                        std::to_string(kFields));
    }

    [[noreturn]] void fail(std::size_t field, const std::string& message) const {
        throw Failure(describe({file_, line_, static_cast<int>(field)}, message));
    }
    [[noreturn]] void failAt(std::size_t k, const std::string& what) const {
        fail(k + 1, inQuotes(fields_[k]) + " " + what + " (" + kFieldNames[k] + ")");
    }
    bool empty(std::size_t k) const { return fields_[k].empty(); }

    // A number written with doubleText, or with singleText when single.
    double number(std::size_t k, bool single = false) const {
        if (fields_[k].empty())
            fail(k + 1, std::string("the field ") + kFieldNames[k] + " is empty");
        const auto value = parseNumber(fields_[k]);
        const bool written =
            value && (single ? std::fabs(*value) <= std::numeric_limits<float>::max() &&
                                   singleText(static_cast<float>(*value)) == fields_[k]
                             : doubleText(*value) == fields_[k]);
        if (!written)
            failAt(k, "is not a number as the program writes it");
        return *value;
    }
    // 0 or 1, the random draws of a problem.
    int draw(std::size_t k) const {
        if (fields_[k] != "0" && fields_[k] != "1")
            failAt(k, "is neither 0 nor 1");
        return fields_[k] == "1" ? 1 : 0;
    }

private:
    const std::string& file_;
    int line_;
    std::vector<std::string_view> fields_;
};

ResultsRecord readRecord(const ResultsLineReader& fields, int line, int previousPn) {
    ResultsRecord record;
    record.line = line;
    const double pn = fields.number(0);
    if (pn != std::floor(pn) || pn < 1 || pn > ProblemList::kMaxProblems)
        fields.failAt(0, "is no problem number from 1 to " +
                             std::to_string(ProblemList::kMaxProblems));
    record.pn = static_cast<int>(pn);
    if (record.pn <= previousPn)
        fields.failAt(0, "follows problem " + std::to_string(previousPn) +
                             ": the problem numbers must rise");
    record.orig = fields.number(1);
    record.pt = fields.number(2);
    if (!isKnownType(record.pt))
        fields.failAt(2, "is none of the types 11, 12, 13, 21, 22, 23");
    record.a = fields.number(3);
    for (std::size_t k = 1; k <= 3; ++k)
        record.e[k] = fields.number(3 + k, true);
    if (!fields.empty(7))
        record.outcome.rev = fields.draw(7);
    record.outcome.inv = fields.draw(8);
    if (!fields.empty(9)) {
        record.outcome.all = fields.number(9);
        if (!isPossibleAnswer(*record.outcome.all, record.a))
            fields.failAt(9, "is not between 0 and a(pn), " + doubleText(record.a));
    }
    return record;
}

} // namespace

std::vector<ResultsRecord> parseResultsFile(std::string_view bytes, const std::string& file) {
    const auto fail = [&file](int line, const std::string& message) {
        throw Failure(describe({file, line, 0}, message));
    };
    std::string header = resultsHeaderLine();
    header.resize(header.size() - 2);
    if (bytes.empty())
        fail(0, "the file is empty; a results file begins with the line \"" + header + "\"");
    std::vector<ResultsRecord> records;
    for (int line = 1; !bytes.empty(); ++line) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos)
            fail(line, "the file ends inside this line, before its CR LF: the file is cut short");
        if (end == 0 || bytes[end - 1] != '\r')
            fail(line, "the line ends in a line feed without CR: the file was converted or "
                       "edited after the run");
        const std::string_view text = bytes.substr(0, end - 1);
        bytes.remove_prefix(end + 1);
        if (text.find('\r') != std::string_view::npos)
            fail(line, "the line holds a CR before its end");
        if (line == 1) {
            if (text != header)
                fail(line,
                     "the first line is not the header line of a results file, \"" + header + "\"");
            continue;
        }
        records.push_back(readRecord(ResultsLineReader(text, file, line), line,
                                     records.empty() ? 0 : records.back().pn));
    }
    return records;
}

void checkDataFileName(const std::string& text) {
    const auto refuse = [&text](const std::string& why) {
        throw Failure("The input data file text " + inQuotes(text) +
                      " cannot be part of a file name: " + why + ".");
    };
    if (text.size() > kMaxDataFileName)
        refuse("it is longer than " + std::to_string(kMaxDataFileName) + " characters");
    if (text.find("..") != std::string::npos)
        refuse("it contains \"..\"");
    for (const char c : text) {
        if (c == '/' || c == '\\')
            refuse("it contains a path separator");
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            refuse(std::string("a file name cannot hold the character ") +
                   (static_cast<unsigned char>(c) < 0x20 || c == 0x7F
                        ? "with code " + std::to_string(static_cast<int>(c))
                        : std::string("\"") + c + "\""));
    }
}

std::filesystem::path dataFilePath(const std::filesystem::path& programFolder,
                                   const std::string& prefix, const std::string& dataFileName,
                                   const std::string& subjectNo) {
    checkDataFileName(dataFileName);
    // The text is UTF-8 as typed, whatever the system's code page.
    return programFolder / "data" /
           os::pathFromUtf8(prefix + dataFileName + FileNumberSuffix(subjectNo));
}

} // namespace tovask
