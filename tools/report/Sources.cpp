#include "tools/report/Sources.h"

#include "files/RunLog.h"
#include "files/TextFile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

namespace tovask::report {

namespace fs = std::filesystem;

namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

std::string shownPath(const fs::path& path) {
    return path.lexically_normal().generic_string();
}

// The log of a run lies beside its results file; a recovered file was rebuilt from the log of
// the results file it stands for. Anything of the log's name is taken for it, so that reading
// says what is wrong with one that is no file.
std::optional<fs::path> logOf(const fs::path& folder, const std::string& resultsName) {
    const fs::path log = runLogPath(folder / resultsName);
    if (namesAnything(log))
        return log;
    return std::nullopt;
}

Source resultsSource(const fs::path& file) {
    return {file, shownPath(file), false, logOf(file.parent_path(), file.filename().string())};
}

Source recoveredSource(const fs::path& file, const RecoveredName& name) {
    return {file, shownPath(file), true, logOf(file.parent_path(), name.resultsName)};
}

// Only the names the report reads are looked at; one that is no file (a folder, a FIFO, a link
// that leads nowhere) is named and left out, and the rest are read.
void addFolder(const fs::path& folder, Found& found) {
    std::vector<std::string> names;
    std::vector<std::string> noFiles;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!isResultsName(name) && !recoveredName(name))
            continue;
        if (const auto why = whyNotARegularFile(entry->path()))
            noFiles.push_back(shownPath(entry->path()) + ": left out: " + *why);
        else
            names.push_back(name);
    }
    if (error)
        throw fs::filesystem_error("cannot read the folder", folder, error);
    std::ranges::sort(noFiles);
    found.errors.insert(found.errors.end(), noFiles.begin(), noFiles.end());
    std::ranges::sort(names);
    const std::set<std::string> results(names.begin(), names.end());

    // The latest recovered file of each run without a results file.
    std::map<std::string, std::pair<int, std::string>> latestRecovered;
    for (const std::string& name : names) {
        if (const auto recovered = recoveredName(name)) {
            if (results.contains(recovered->resultsName)) {
                found.notes.push_back(shownPath(folder / name) +
                                      ": left out: the run's results file " +
                                      recovered->resultsName + " is there");
                continue;
            }
            auto& latest = latestRecovered[recovered->resultsName];
            if (recovered->number > latest.first)
                latest = {recovered->number, name};
        }
    }
    const std::size_t before = found.sources.size();
    for (const std::string& name : names) {
        const fs::path file = folder / name;
        if (isResultsName(name)) {
            found.sources.push_back(resultsSource(file));
            continue;
        }
        const auto recovered = recoveredName(name);
        if (!recovered || results.contains(recovered->resultsName))
            continue;
        if (latestRecovered.at(recovered->resultsName).second != name) {
            found.notes.push_back(shownPath(file) +
                                  ": left out: a later recovered file of the same run is read");
            continue;
        }
        found.sources.push_back(recoveredSource(file, *recovered));
        found.notes.push_back(shownPath(file) + ": read in place of " + recovered->resultsName +
                              ", which is not there: the run broke off and tovask-recover rebuilt "
                              "its answers from the run log");
    }
    if (found.sources.size() == before)
        found.errors.push_back(shownPath(folder) +
                               ": no results files (out<data file>.<number>) in this folder; its "
                               "subfolders are not searched");
}

} // namespace

bool isResultsName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return name.starts_with("out") && dot != std::string::npos && dot >= 3 &&
           allDigits(std::string_view(name).substr(dot + 1));
}

std::optional<RecoveredName> recoveredName(const std::string& name) {
    constexpr std::string_view kRecovered = ".recovered";
    const std::size_t at = name.rfind(kRecovered);
    if (at == std::string::npos)
        return std::nullopt;
    const std::string resultsName = name.substr(0, at);
    const std::string_view rest = std::string_view(name).substr(at + kRecovered.size());
    if (!isResultsName(resultsName))
        return std::nullopt;
    if (rest.empty())
        return RecoveredName{resultsName, 1};
    if (rest.size() < 2 || rest[0] != '-' || !allDigits(rest.substr(1)) || rest.size() > 6)
        return std::nullopt;
    return RecoveredName{resultsName, std::stoi(std::string(rest.substr(1)))};
}

Found findResultsFiles(const std::vector<fs::path>& paths) {
    Found found;
    for (const fs::path& path : paths) {
        std::error_code error;
        const std::string name = path.filename().string();
        if (fs::is_directory(path, error)) {
            try {
                addFolder(path, found);
            } catch (const fs::filesystem_error& e) {
                found.errors.push_back(shownPath(path) +
                                       ": cannot read the folder: " + e.code().message());
            }
        } else if (!fs::exists(path, error)) {
            found.errors.push_back(shownPath(path) + ": there is no such file or folder");
        } else if (isResultsName(name)) {
            found.sources.push_back(resultsSource(path));
        } else if (const auto recovered = recoveredName(name)) {
            found.sources.push_back(recoveredSource(path, *recovered));
            found.notes.push_back(shownPath(path) + ": a recovered file, read as named");
        } else {
            found.errors.push_back(shownPath(path) +
                                   ": not a results file (out<data file>.<number>) nor a folder");
        }
    }
    // A file found twice (a folder and a file in it, or a folder named twice) is read once.
    std::set<fs::path> seen;
    std::erase_if(found.sources, [&](const Source& source) {
        std::error_code error;
        const fs::path key = fs::weakly_canonical(source.file, error);
        return !seen.insert(error ? source.file : key).second;
    });
    return found;
}

} // namespace tovask::report
