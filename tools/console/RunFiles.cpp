#include "tools/console/RunFiles.h"

#include "tools/console/DataFolders.h"
#include "tools/report/Sources.h"

#include <algorithm>
#include <system_error>

namespace tovask::console {

FolderFiles listFolder(const std::filesystem::path& folder) {
    constexpr std::string_view kLog = ".log", kLock = "lock-";
    FolderFiles files;
    std::set<std::string> runs;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        files.names.insert(name);
        if (name.ends_with(kLog))
            name.resize(name.size() - kLog.size());
        else if (name.starts_with(kLock))
            name.erase(0, kLock.size());
        else
            continue;
        if (report::isResultsName(name))
            runs.insert(name);
    }
    files.runs.assign(runs.begin(), runs.end());
    std::sort(files.runs.begin(), files.runs.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    return files;
}

} // namespace tovask::console
