#include "files/RunLog.h"

#include "base/Failure.h"
#include "base/Numbers.h"
#include "files/OperatingSystem.h"
#include "files/TextFile.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace tovask {

namespace {

class SystemLogClock : public LogClock {
public:
    std::chrono::system_clock::time_point wallClock() override {
        return std::chrono::system_clock::now();
    }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) override {
        return os::utcOffset(moment);
    }
    std::chrono::milliseconds monotonic() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace

LogClock& systemLogClock() {
    static SystemLogClock clock;
    return clock;
}

std::string isoTime(std::chrono::system_clock::time_point moment, std::chrono::seconds utcOffset) {
    using namespace std::chrono;
    const auto local = floor<milliseconds>(moment + utcOffset);
    const auto day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{local - day};
    const long offsetMinutes = static_cast<long>(utcOffset.count() / 60);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%03ld%c%02ld:%02ld",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long>(time.hours().count()),
                  static_cast<long>(time.minutes().count()),
                  static_cast<long>(time.seconds().count()),
                  static_cast<long>(time.subseconds().count()), offsetMinutes < 0 ? '-' : '+',
                  std::labs(offsetMinutes) / 60, std::labs(offsetMinutes) % 60);
    return text;
}

std::string detailText(const DetailPairs& pairs) {
    std::string text;
    for (const auto& [name, value] : pairs) {
        if (!text.empty())
            text += ' ';
        text.append(name);
        text += '=';
        text += value;
    }
    return text;
}

std::optional<std::string> detailValue(std::string_view detail, std::string_view name) {
    while (!detail.empty()) {
        const std::size_t blank = detail.find(' ');
        const std::string_view pair = detail.substr(0, blank);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name &&
            pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
        if (blank == std::string_view::npos)
            break;
        detail.remove_prefix(blank + 1);
    }
    return std::nullopt;
}

std::string csvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' ' ||
                                          text.front() == '\t' || text.back() == '\t'));
    if (!quote)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"')
            field += '"';
        field += c;
    }
    return field + '"';
}

std::optional<std::vector<std::string>> splitCsvLine(std::string_view line) {
    std::vector<std::string> fields(1);
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i++];
        if (c == ',') {
            fields.emplace_back();
        } else if (c == '"' && fields.back().empty()) {
            // A quoted field runs to the quote that is not doubled.
            for (;;) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        fields.back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                fields.back() += line[i++];
            }
            if (i < line.size() && line[i] != ',')
                return std::nullopt; // text after the closing quote
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string_view programVersion() {
    return TOVASK_VERSION;
}

RunLog::RunLog(std::filesystem::path path, LogClock& clock)
    : path_(std::move(path)), clock_(clock), start_(clock.monotonic()) {
    keepEarlierFile(path_);
    try {
        file_ = std::make_unique<os::AppendOnlyFile>(path_);
        file_->append(std::string(kHeader) + "\n");
        // The new name in the folder must survive a power cut as well as the lines.
        file_->sync();
        folderNotForced_ = os::makeFolderDurable(path_.parent_path());
    } catch (const std::system_error& e) {
        // A log created without its header is no log: it goes, so that the next try starts
        // afresh instead of keeping it as an earlier run's.
        if (file_) {
            file_.reset();
            try {
                os::fileSystem().remove(path_);
            } catch (const std::system_error&) {
                // The failure to report is the first one.
            }
        }
        throw Failure("cannot create the run log " + path_.string() + ": " + e.code().message());
    }
}

RunLog::~RunLog() = default;

std::int64_t RunLog::msSinceStart() const {
    return (clock_.monotonic() - start_).count();
}

void RunLog::record(const LogEvent& event) {
    const auto now = clock_.wallClock();
    std::string line = isoTime(now, clock_.utcOffset(now));
    line += ',';
    line += std::to_string(msSinceStart());
    line += ',';
    line += std::to_string(event.stage);
    line += ',';
    line += csvField(event.event);
    line += ',';
    if (event.problem)
        line += std::to_string(*event.problem);
    line += ',';
    line += csvField(event.value);
    line += ',';
    line += csvField(event.detail);
    line += '\n';
    try {
        file_->append(line);
    } catch (const std::system_error& e) {
        throw Failure("cannot write the run log " + path_.string() + ": " + e.code().message());
    }
}

void RunLog::sync() {
    try {
        file_->sync();
    } catch (const std::system_error& e) {
        throw Failure("cannot save the run log " + path_.string() +
                      " to the disk: " + e.code().message());
    }
}

std::filesystem::path runLogPath(const std::filesystem::path& resultsFile) {
    std::filesystem::path path = resultsFile;
    path += ".log";
    return path;
}

} // namespace tovask
