// soak_runs [RUNS]: whole runs back to back in one data folder, each played to its end by the
// runner of tovask-script in this one long-lived process, twenty data file texts taken in turn
// so that each comes again and again. After each run: its results file is complete and equals
// what tovask-recover rebuilds from its log. At the end: the results file and every .earlier-
// copy of each text, and its logs, are exactly the files of the runs (none lost, none written
// over, no name used twice), no temporary or lock file is left, and the process holds no more
// file descriptors and hardly more memory than after the first runs. Exit status 0 when all
// holds, 1 otherwise. Linux only: the figures come from /proc/self.
#include "base/Failure.h"
#include "tests/support/TestServices.h"
#include "tools/recover/Recovery.h"
#include "tools/script/Runner.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tovask::test::TestServices;

constexpr int kTexts = 20;

std::string dataFileText(int k) {
    return (k % 2 ? "S" : "A-") + std::to_string(10 + k);
}

// Text k has k % 10 + 1 problems of every type.
std::string problemFile(int k) {
    const char* const kinds[] = {"11,10,1,0.5,2", "21,8,1,1.5,1.5", "12,12.5,1.5,1,1",
                                 "13,15,2,1,0.5", "22,7,2,0.75,2",  "23,9,3,3,0.25"};
    const int count = k % 10 + 1;
    std::string text = std::to_string(count) + "\r\n";
    for (int p = 1; p <= count; ++p)
        text += std::to_string(p) + "," + std::to_string(100 * k + p) + "," + kinds[(p + k) % 6] +
                "\r\n";
    return text;
}

// The whole run of text k; the slider stands somewhere else in every run.
std::string script(int k, int run) {
    std::string lines =
        "set InputDataFile " + dataFileText(k) +
        "\nset ReadTimeInput 1\nset TimeToWait 1\nclick\nclick\ntick\nkey 3\nclick\n";
    for (int p = 1; p <= k % 10 + 1; ++p)
        lines += "click\nslider " + std::to_string((37 * run + 101 * p) % 1001) + "\ntick\nclick\n";
    return lines + "click\nkey 3\nclick\nset TaskNumber 1\nclick\ndump\n";
}

// A figure of /proc/self/status in kB.
long statusKb(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stol(line.substr(name.size() + 1));
    return -1;
}

long openFiles() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::size_t hashOf(const std::string& bytes) {
    return std::hash<std::string>{}(bytes);
}

class Soak {
public:
    explicit Soak(int runs) : runs_(runs) {
        folder_.copyBundled("english.wds");
        for (int k = 0; k < kTexts; ++k)
            folder_.writeData("inp" + dataFileText(k) + ".001", problemFile(k));
    }

    int run() {
        const auto start = std::chrono::steady_clock::now();
        for (int run = 1; run <= runs_; ++run) {
            playRun(run, (run * 7) % kTexts);
            if (run == 1 || run == 20 || run == runs_)
                figures_.push_back({run, openFiles(), statusKb("VmRSS"), statusKb("VmHWM")});
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        checkFolder();
        std::cout << runs_ << " runs of " << kTexts << " data file texts in " << seconds << " s ("
                  << 1000 * seconds / runs_ << " ms a run)\n";
        for (const Figures& f : figures_)
            std::cout << "after run " << f.run << ": " << f.files << " open files, VmRSS "
                      << f.rssKb << " kB, VmHWM " << f.hwmKb << " kB\n";
        if (figures_.back().files != figures_.front().files)
            fault("the open files grew from " + std::to_string(figures_.front().files) + " to " +
                  std::to_string(figures_.back().files));
        // The first runs fill the allocator's pools; after them a leak of even one line of
        // text a run would show.
        if (figures_.back().rssKb - figures_[1].rssKb > 256)
            fault("the resident memory grew by " +
                  std::to_string(figures_.back().rssKb - figures_[1].rssKb) + " kB");
        std::cout << (faults_ == 0 ? "soak: all runs intact\n" : "soak: FAILED\n");
        return faults_ == 0 ? 0 : 1;
    }

private:
    struct Figures {
        int run;
        long files, rssKb, hwmKb;
    };

    void fault(const std::string& what) {
        ++faults_;
        std::cout << "FAULT: " << what << "\n";
    }

    void playRun(int run, int k) {
        const std::string text = dataFileText(k);
        std::ostringstream out, err;
        std::istringstream lines(script(k, run));
        const int status = tovask::script::Runner(folder_.programFolder(), out, err).run(lines);
        const std::string where = "run " + std::to_string(run) + " of " + text + ": ";
        if (status != 0 || out.str().find("{\"stage\":9,") != 0 ||
            out.str().find("\"messages\":[]") == std::string::npos)
            return fault(
                where + "did not end as it should: " + err.str() +
                out.str().substr(std::min(out.str().size(), out.str().find("\"messages\""))));
        const std::string results = folder_.readData("out" + text + ".001");
        const std::string log = folder_.readData("out" + text + ".001.log");
        try {
            const auto recovery = tovask::recover::recoverLog(folder_.programFolder() / "data" /
                                                              ("out" + text + ".001.log"));
            if (recovery.recovered.results != results ||
                static_cast<int>(recovery.recovered.answered.size()) != k % 10 + 1)
                fault(where + "its results file is not the one its log gives");
        } catch (const tovask::Failure& failure) {
            fault(where + failure.what());
        }
        written_[text].push_back(hashOf(results));
        logged_[text].push_back(hashOf(log));
    }

    // Every file of data/ is a file of the setup or a run's; each run's are there whole.
    void checkFolder() {
        std::map<std::string, std::vector<std::size_t>> results, logs;
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(folder_.programFolder() / "data")) {
            ++files;
            const std::string name = entry.path().filename().string();
            if (name == "english.wds" || name.rfind("inp", 0) == 0)
                continue;
            const std::size_t log = name.find(".001.log");
            const std::size_t end = name.find(".001");
            if (name.rfind("out", 0) != 0 || end == std::string::npos) {
                fault("a file no run should leave: " + name);
                continue;
            }
            const std::string rest = name.substr(end + 4);
            const bool isLog = log == end;
            const std::string kept = rest.substr(isLog ? 4 : 0);
            if (!kept.empty() && kept.rfind(".earlier-", 0) != 0) {
                fault("a file no run should leave: " + name);
                continue;
            }
            (isLog ? logs : results)[name.substr(3, end - 3)].push_back(
                hashOf(folder_.readData(name)));
        }
        if (files != 1 + kTexts + 2 * static_cast<std::size_t>(runs_))
            fault("data/ holds " + std::to_string(files) + " files instead of " +
                  std::to_string(1 + kTexts + 2 * runs_));
        const auto same = [this](auto found, auto made, const std::string& what) {
            for (auto& [text, hashes] : made) {
                std::ranges::sort(hashes);
                std::ranges::sort(found[text]);
                if (found[text] != hashes)
                    fault("the " + what + " of " + text + " are not those of its " +
                          std::to_string(hashes.size()) + " runs");
            }
        };
        same(results, written_, "results files");
        same(logs, logged_, "run logs");
    }

    int runs_;
    TestServices folder_;
    std::map<std::string, std::vector<std::size_t>> written_, logged_; // per text, per run
    std::vector<Figures> figures_;
    int faults_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::stoi(argv[1]) : 200;
    if (runs < 20) {
        std::cerr << "usage: soak_runs [RUNS]   (RUNS at least 20; 200 if not given)\n";
        return 2;
    }
    return Soak(runs).run();
}
