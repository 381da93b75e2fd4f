#pragma once
// The data folders a session console watches. Each folder named on its command line is a shared
// data folder that every PC writes to, or a folder of per-PC data folders (each subfolder, or
// the data/ folder inside it).

#include <filesystem>
#include <string>
#include <vector>

namespace tovask::console {

struct DataFolder {
    std::filesystem::path path;
    std::string label; // how the page and the payment list name it; empty when there is one
};

// The data folders of the folders given, in the order given (the subfolders of one in name
// order). A folder that is neither a data folder nor holds one is taken as a data folder that
// no PC has written to yet. Throws tovask::Failure naming a folder that is not there.
std::vector<DataFolder> findDataFolders(const std::vector<std::filesystem::path>& given);

// "PC2" before "PC10": texts compared with their runs of digits as numbers, without regard to
// case, as a lab numbers its PCs.
bool naturalLess(std::string_view a, std::string_view b);

} // namespace tovask::console
