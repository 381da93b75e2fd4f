#include "tests/support/TestServices.h"

#include <fstream>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace tovask::test {

namespace fs = std::filesystem;

TestServices::TestServices() {
    std::random_device seed;
    folder_ = fs::temp_directory_path() / ("tovask-test-" + std::to_string(seed()));
    fs::create_directories(folder_ / "data");
}

TestServices::~TestServices() {
    std::error_code ignored;
    fs::permissions(folder_ / "data", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
}

void TestServices::writeData(const std::string& name, const std::string& content) const {
    std::ofstream(folder_ / "data" / name, std::ios::binary) << content;
}

std::string TestServices::readData(const std::string& name) const {
    std::ifstream in(folder_ / "data" / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string whyReadOnlyFoldersAreWritable() {
#ifdef _WIN32
    return "on Windows a folder's read-only flag does not stop writes into it";
#else
    return ::geteuid() == 0 ? "the superuser writes into read-only folders" : "";
#endif
}

std::string W(int k) {
    return "<" + std::to_string(k) + ">";
}

void TestServices::writeNumberedWords(const std::string& name) const {
    std::string text = "40\r\n";
    for (int k = 1; k <= 40; ++k)
        text += "\"" + W(k) + "\"\r\n";
    writeData(name, text);
}

void TestServices::copyBundled(const std::string& name) const {
    fs::copy_file(fs::path(TOVASK_SOURCE_DATA) / name, folder_ / "data" / name,
                  fs::copy_options::overwrite_existing);
}

} // namespace tovask::test
