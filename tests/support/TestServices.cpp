#include "tests/support/TestServices.h"

#include <fstream>
#include <sstream>

namespace tovask::test {

namespace fs = std::filesystem;

void TestServices::writeData(const std::string& name, const std::string& content) const {
    std::ofstream(folder_.data() / name, std::ios::binary) << content;
}

std::string TestServices::readData(const std::string& name) const {
    std::ifstream in(folder_.data() / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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
    fs::copy_file(fs::path(TOVASK_SOURCE_DATA) / name, folder_.data() / name,
                  fs::copy_options::overwrite_existing);
}

} // namespace tovask::test
