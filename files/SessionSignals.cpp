#include "files/SessionSignals.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/OperatingSystem.h"

#include <map>
#include <system_error>
#include <tuple>
#include <utility>

namespace tovask {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSignOfLifeTitle =
    "tovask: the sign of life of a run, rewritten every few seconds while it runs";
constexpr std::string_view kRequestTitle =
    "tovask: a request of the session console to release a run at a hold point";

fs::path besideResults(const fs::path& resultsFile, std::string_view prefix) {
    return resultsFile.parent_path() / (std::string(prefix) + resultsFile.filename().string());
}

// The "name=value" lines after the title line; nothing when the title is not the one expected.
std::optional<std::map<std::string, std::string, std::less<>>> namedLines(std::string_view text,
                                                                          std::string_view title) {
    std::map<std::string, std::string, std::less<>> values;
    bool first = true;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (std::exchange(first, false)) {
            if (line != title)
                return std::nullopt;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            values.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    if (first)
        return std::nullopt;
    return values;
}

std::string namedLine(std::string_view name, const std::string& value) {
    return std::string(name) + "=" + value + "\n";
}

// A whole number of the lines, or nothing.
template <typename T>
std::optional<T> number(const std::map<std::string, std::string, std::less<>>& values,
                        std::string_view name) {
    const auto found = values.find(name);
    return found == values.end() ? std::nullopt : exactValue<T>(found->second);
}

} // namespace

fs::path signOfLifePath(const fs::path& resultsFile) {
    return besideResults(resultsFile, "alive-");
}

fs::path releaseRequestPath(const fs::path& resultsFile) {
    return besideResults(resultsFile, "release-");
}

std::string signOfLifeText(const SignOfLife& life) {
    return std::string(kSignOfLifeTitle) + "\n" + namedLine("started", life.started) +
           namedLine("pc", life.pc) + namedLine("beat", std::to_string(life.beat)) +
           namedLine("stage", std::to_string(life.stage)) +
           namedLine("problem", std::to_string(life.problem)) +
           namedLine("problems", std::to_string(life.problems)) +
           namedLine("reading_left", std::to_string(life.readingLeft)) +
           namedLine("waiting_at", std::to_string(life.waitingAt)) +
           namedLine("message_open", life.messageOpen ? "1" : "0");
}

std::optional<SignOfLife> parseSignOfLife(std::string_view text) {
    const auto values = namedLines(text, kSignOfLifeTitle);
    if (!values)
        return std::nullopt;
    const auto beat = number<std::uint64_t>(*values, "beat");
    const auto stage = number<int>(*values, "stage");
    const auto problem = number<int>(*values, "problem");
    const auto problems = number<int>(*values, "problems");
    const auto readingLeft = number<int>(*values, "reading_left");
    const auto waitingAt = number<int>(*values, "waiting_at");
    const auto messageOpen = number<int>(*values, "message_open");
    const auto started = values->find("started");
    const auto pc = values->find("pc");
    if (!beat || !stage || !problem || !problems || !readingLeft || !waitingAt || !messageOpen ||
        started == values->end() || pc == values->end())
        return std::nullopt;
    return SignOfLife{started->second, pc->second,   *beat,      *stage,           *problem,
                      *problems,       *readingLeft, *waitingAt, *messageOpen == 1};
}

std::string releaseRequestText(const ReleaseRequest& request) {
    return std::string(kRequestTitle) + "\n" + namedLine("started", request.started) +
           namedLine("hold", std::to_string(request.hold));
}

std::optional<ReleaseRequest> parseReleaseRequest(std::string_view text) {
    const auto values = namedLines(text, kRequestTitle);
    if (!values)
        return std::nullopt;
    const auto started = values->find("started");
    const auto hold = number<int>(*values, "hold");
    if (started == values->end() || !hold || (*hold != 1 && *hold != 2))
        return std::nullopt;
    return ReleaseRequest{started->second, *hold};
}

SignOfLifeFile::SignOfLifeFile(const fs::path& resultsFile) : path_(signOfLifePath(resultsFile)) {}

SignOfLifeFile::~SignOfLifeFile() {
    try {
        os::fileSystem().remove(path_);
    } catch (const std::system_error&) {
        // Never written, or the share is gone: the console sees the run end by its lock.
    }
}

void SignOfLifeFile::show(SignOfLife life) {
    // What the console shows at once; the seconds of reading left count down on its own clock.
    const auto shown = [](const SignOfLife& l) {
        return std::tie(l.started, l.pc, l.stage, l.problem, l.problems, l.waitingAt,
                        l.messageOpen);
    };
    ++secondsSinceWritten_;
    if (written_ && shown(*written_) == shown(life) && secondsSinceWritten_ < kBeatSeconds)
        return;
    life.beat = beat_ + 1;
    try {
        replaceFile(path_, signOfLifeText(life));
    } catch (const Failure&) {
        return;
    }
    beat_ = life.beat;
    written_ = life;
    secondsSinceWritten_ = 0;
}

void replaceFile(const fs::path& path, std::string_view text) {
    os::FileSystem& files = os::fileSystem();
    // A name of this process's own: one left by a process that broke is removed and made anew.
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(os::processId());
    try {
        os::FileSystem::Handle file = 0;
        try {
            file = files.create(temporary);
        } catch (const std::system_error&) {
            files.remove(temporary);
            file = files.create(temporary);
        }
        try {
            files.write(file, text);
        } catch (...) {
            files.close(file);
            throw;
        }
        files.close(file);
        files.rename(temporary, path);
    } catch (const std::system_error& e) {
        try {
            files.remove(temporary);
        } catch (const std::system_error&) {
            // Nothing was created, or it cannot be removed either: the next try takes it.
        }
        throw Failure("cannot write " + path.string() + ": " + e.code().message());
    }
}

} // namespace tovask
