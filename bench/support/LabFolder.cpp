#include "bench/support/LabFolder.h"

#include <array>
#include <fstream>
#include <vector>

namespace tovask::bench {

namespace fs = std::filesystem;

LabFolder::LabFolder() {
    fs::copy_file(fs::path(TOVASK_SOURCE_DATA) / "english.wds", folder_.data() / "english.wds");
    std::ofstream(folder_.data() / "inp01.001", std::ios::binary) << HundredProblems();
}

namespace {
constexpr std::array<int, 6> kTypes{11, 12, 13, 21, 22, 23};
constexpr std::array<const char*, 5> kRates{"0.5", "1", "1.5", "2", "3"};
} // namespace

void LabFolder::planSession() const {
    std::ofstream(folder_.data() / "session.csv", std::ios::binary)
        << "pc,input_data_file,language,treatment,time_to_wait,reading_time\r\n"
           "ANOTHER-PC,01,English,1,1,1\r\n";
}

void LabFolder::clearOutputs() const {
    std::vector<fs::path> written;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_.data()))
        if (entry.path().filename().string().rfind("out", 0) == 0)
            written.push_back(entry.path());
    for (const fs::path& path : written)
        fs::remove(path);
}

std::string HundredProblems() {
    std::string text = std::to_string(LabFolder::kProblems) + "\r\n";
    for (int p = 1; p <= LabFolder::kProblems; ++p) {
        const int type = kTypes[static_cast<std::size_t>((p - 1) % 6)];
        const auto rate = [p](int k) { return kRates[static_cast<std::size_t>((p + k) % 5)]; };
        // The two members of a pair side have equal rates, as a well-made file has them.
        std::array<const char*, 4> e{nullptr, rate(1), rate(2), rate(3)};
        if (type == 21)
            e[3] = e[2];
        if (type == 22)
            e[3] = e[1];
        if (type == 23)
            e[2] = e[1];
        text += std::to_string(p) + "," + std::to_string(p % 23) + "," + std::to_string(type) +
                "," + std::to_string(5 + p % 16) + (p % 4 == 0 ? ".5" : "") + "," + e[1] + "," +
                e[2] + "," + e[3] + "\r\n";
    }
    return text;
}

} // namespace tovask::bench
