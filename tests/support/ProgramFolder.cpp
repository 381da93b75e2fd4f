#include "tests/support/ProgramFolder.h"

#include <random>

namespace tovask::test {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder(const std::string& prefix) {
    std::random_device seed;
    path_ = fs::temp_directory_path() / (prefix + "-" + std::to_string(seed()));
    fs::create_directories(data());
}

ProgramFolder::~ProgramFolder() {
    std::error_code ignored;
    // A test may have left data/ read-only.
    fs::permissions(data(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

} // namespace tovask::test
