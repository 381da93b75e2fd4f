#include "tools/console/DataFolders.h"

#include "base/Failure.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

namespace tovask::console {

namespace fs = std::filesystem;

namespace {

// A folder tovask reads or writes: it holds a word file, a problem or results file, a file of a
// run, or a session plan.
bool isDataFolder(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("inp") || name.starts_with("out") || name.starts_with("lock-out") ||
            name.starts_with("alive-out") || name == "session.csv" || name.ends_with(".wds"))
            return true;
    }
    return false;
}

std::vector<fs::path> subfolders(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_directory(error))
            found.push_back(it->path());
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
    return found;
}

} // namespace

std::vector<DataFolder> findDataFolders(const std::vector<fs::path>& given) {
    std::vector<DataFolder> found;
    for (const fs::path& folder : given) {
        std::error_code error;
        if (!fs::is_directory(folder, error))
            throw Failure(folder.string() + ": no such folder");
        if (isDataFolder(folder)) {
            found.push_back({folder, folder.filename().string()});
            continue;
        }
        const std::size_t before = found.size();
        for (const fs::path& sub : subfolders(folder)) {
            if (isDataFolder(sub))
                found.push_back({sub, sub.filename().string()});
            else if (isDataFolder(sub / "data"))
                found.push_back({sub / "data", sub.filename().string()});
        }
        if (found.size() == before)
            found.push_back({folder, folder.filename().string()});
    }
    // Labels tell folders apart: none for one folder, the full path where two names agree.
    if (found.size() == 1) {
        found.front().label.clear();
        return found;
    }
    std::map<std::string, int> uses;
    for (const DataFolder& f : found)
        ++uses[f.label];
    for (DataFolder& f : found)
        if (f.label.empty() || uses[f.label] > 1)
            f.label = f.path.string();
    return found;
}

bool naturalLess(std::string_view a, std::string_view b) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            // Numbers without their leading zeros: the longer is the larger, else by digits.
            std::string_view numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
            numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[j]));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace tovask::console
