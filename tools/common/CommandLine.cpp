#include "tools/common/CommandLine.h"

#include "files/OperatingSystem.h"

#include <algorithm>
#include <iostream>

namespace tovask::tools {

CommandLine readCommandLine(const std::vector<std::string>& arguments,
                            std::string_view folderOption,
                            std::span<const std::string_view> valueOptions,
                            std::span<const std::string_view> switchOptions) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string_view arg = arguments[i];
        const bool takesValue = std::ranges::find(valueOptions, arg) != valueOptions.end();
        const bool namesFolder = !folderOption.empty() && arg == folderOption;
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if ((namesFolder || takesValue) && i + 1 == arguments.size()) {
            line.error = std::string(arg) + (takesValue ? " needs a value" : " needs a folder");
        } else if (namesFolder) {
            line.folder = os::pathFromUtf8(arguments[++i]);
        } else if (takesValue) {
            line.values[std::string(arg)] = arguments[++i];
        } else if (std::ranges::find(switchOptions, arg) != switchOptions.end()) {
            line.switches.insert(std::string(arg));
        } else if (arg.size() > 1 && arg.front() == '-') {
            line.error = "unknown option " + std::string(arg);
        } else {
            line.names.push_back(os::pathFromUtf8(arg));
        }
    }
    return line;
}

int Tool::run(int argc, char** argv, int (*work)(const Tool&, const CommandLine&)) const {
    CommandLine line;
    const auto status = start(argc, argv, line);
    return finish(status ? *status : work(*this, line));
}

int Tool::finish(int status) const {
    std::cout.flush();
    if (!std::cout) {
        std::cerr << name << ": the output could not be written whole (a full disk?)\n";
        return cannotRun;
    }
    std::cerr.flush();
    return std::cerr ? status : cannotRun;
}

int Tool::fail(const std::string& message) const {
    std::cerr << name << ": " << message << "\n";
    return cannotRun;
}

int Tool::misused(const std::string& message) const {
    return fail(message + "\n" + std::string(usage));
}

std::optional<int> Tool::start(int argc, char** argv, CommandLine& line) const {
    os::treatFileSizeLimitAsWriteFailure();
    os::showUtf8InConsole();
    line = readCommandLine(os::commandLineArguments(argc, argv), folderOption, valueOptions,
                           switchOptions);
    if (!line.error.empty())
        return misused(line.error);
    if (line.help) {
        std::cout << usage;
        return done;
    }
    return std::nullopt;
}

} // namespace tovask::tools
