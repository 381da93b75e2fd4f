#include "files/ResultsFile.h"

#include "base/Failure.h"
#include "base/Numbers.h"

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

void checkDataFileName(const std::string& text) {
    const auto refuse = [&text](const std::string& why) {
        std::string shown = text; // a control character would cut or break the message
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                c = '?';
        throw Failure("The input data file text \"" + shown +
                      "\" cannot be part of a file name: " + why + ".");
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
    return programFolder / "data" / (prefix + dataFileName + FileNumberSuffix(subjectNo));
}

} // namespace tovask
