#include "tools/common/CommandLine.h"

#include "base/Numbers.h"

#include <algorithm>
#include <iostream>

namespace tovask::tools {

CommandLine readCommandLine(int argc, char** argv, std::string_view folderOption,
                            std::span<const std::string_view> countOptions) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == folderOption) {
            if (i + 1 == argc)
                line.error = std::string(folderOption) + " needs a folder";
            else
                line.folder = argv[++i];
        } else if (std::ranges::find(countOptions, arg) != countOptions.end()) {
            const auto count = i + 1 < argc ? exactValue<std::int64_t>(argv[++i]) : std::nullopt;
            if (count && *count >= 0 && *count <= kMaxCount)
                line.counts[std::string(arg)] = *count;
            else
                line.error = std::string(arg) + " needs a whole number from 0 to " +
                             std::to_string(kMaxCount);
        } else if (arg.size() > 1 && arg.front() == '-') {
            line.error = "unknown option " + std::string(arg);
        } else {
            line.names.emplace_back(arg);
        }
    }
    return line;
}

int Tool::run(int argc, char** argv, int (*work)(const Tool&, const CommandLine&)) const {
    CommandLine line;
    if (const auto status = start(argc, argv, line))
        return *status;
    return work(*this, line);
}

int Tool::fail(const std::string& message) const {
    std::cerr << name << ": " << message << "\n";
    return cannotRun;
}

std::optional<int> Tool::start(int argc, char** argv, CommandLine& line) const {
    line = readCommandLine(argc, argv, folderOption, countOptions);
    if (!line.error.empty())
        return fail(line.error + "\n" + std::string(usage));
    if (line.help) {
        std::cout << usage;
        return done;
    }
    return std::nullopt;
}

} // namespace tovask::tools
