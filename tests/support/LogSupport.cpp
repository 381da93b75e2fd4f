#include "tests/support/LogSupport.h"

#include <csignal>
#include <stdexcept>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace tovask::test {

LoggedRun::LoggedRun(int problems) : count(problems) {
    services.writeNumberedWords();
    std::string file = std::to_string(problems) + "\r\n";
    for (int p = 1; p <= problems; ++p)
        file += std::to_string(p) + "," + std::to_string(100 + p) + ",11," +
                std::to_string(10 + p) + ",1,0.5,2\r\n";
    services.writeData("inp01.001", file);
    x.Experiment_Load();
    x.ReadTimeInput.setText("1");
    x.TimeToWait.setText("1");
}

void LoggedRun::ctrlC() {
    std::int16_t key = 3;
    x.Continue.keyPress(key);
}

void LoggedRun::tick(ui::Timer& timer) {
    clock.advance(std::chrono::seconds(1));
    timer.tick();
}

void LoggedRun::startToFirstProblem() {
    click(); // stage 0: the run starts
    click(); // stage 1: instructions
    tick(x.ReadInstructionsTimer);
    ctrlC();
    click(); // stage 2
}

void LoggedRun::answer(const std::vector<int>& moves) {
    click(); // stage 3 (or 5): the next problem
    for (const int value : moves) {
        clock.advance(std::chrono::milliseconds(250));
        x.AllocationSlider.setValue(value);
    }
    tick(x.WaitTimer);
    click(); // stage 4: answered
}

void LoggedRun::toResults() {
    startToFirstProblem();
    for (int p = 1; p <= count; ++p)
        answer({100 + 10 * p});
    click(); // stage 6
}

#ifndef _WIN32
FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("getrlimit failed");
    previous_ = limit.rlim_cur;
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previous_;
    setrlimit(RLIMIT_FSIZE, &limit);
}
#endif

} // namespace tovask::test
