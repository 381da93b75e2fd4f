#pragma once
// The runs of a data folder as its files show them.

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tovask::console {

struct FolderFiles {
    std::set<std::string, std::less<>> names; // every name in the folder
    // The results file names ("out01.001") of the runs that have a run log in the folder or hold
    // a lock there, in natural order. Logs kept from earlier runs (".earlier-...") are left out.
    std::vector<std::string> runs;
};
// What the folder holds now; empty when it cannot be read.
FolderFiles listFolder(const std::filesystem::path& folder);

} // namespace tovask::console
