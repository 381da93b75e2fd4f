#include "tools/script/Runner.h"

#include "files/OperatingSystem.h"
#include "tools/script/Dump.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <istream>
#include <ostream>
#include <thread>
#include <utility>

namespace tovask::script {

int exitCode(Status status) {
    switch (status) {
    case Status::BadLine:
        return kExitBadLine;
    case Status::Ended:
        return kExitEnded;
    case Status::Running:
        break;
    }
    return kExitDone;
}

Runner::Runner(std::filesystem::path programFolder, std::ostream& out, std::ostream& err)
    : services_(std::move(programFolder)), experiment_(services_), out_(out), err_(err) {}

template <typename Step> Status Runner::guarded(Step&& step) {
    std::optional<std::string> ended;
    try {
        step();
        return Status::Running;
    } catch (const std::exception& failure) {
        ended = failure.what();
    } catch (...) {
        ended = "a failure of unknown kind";
    }
    status_ = Status::Ended;
    dump(ended);
    return status_;
}

Status Runner::load() {
    return guarded([this] { experiment_.Experiment_Load(); });
}

Status Runner::feed(std::string_view line, int lineNumber) {
    if (status_ == Status::Ended)
        return status_;
    const Parsed parsed = parseLine(line, lineNumber);
    if (std::holds_alternative<std::monostate>(parsed))
        return Status::Running;
    std::optional<BadLine> bad;
    if (const auto* badLine = std::get_if<BadLine>(&parsed))
        bad = *badLine;
    else
        bad = refusal(std::get<Event>(parsed), lineNumber, experiment_);
    if (bad) {
        err_ << "tovask-script: " << bad->message() << '\n';
        err_.flush();
        return Status::BadLine;
    }
    const Event& event = std::get<Event>(parsed);
    return guarded([this, &event] { act(event); });
}

void Runner::act(const Event& event) {
    switch (event.type) {
    case Event::Type::Set:
        static_cast<ui::TextBox*>(experiment_.form.find(event.control))->setText(event.text);
        break;
    case Event::Type::Click:
        experiment_.Continue.click();
        break;
    case Event::Type::Key: {
        auto code = static_cast<std::int16_t>(event.number);
        experiment_.Continue.keyPress(code);
        break;
    }
    case Event::Type::Tick:
        // Once both timers are off no tick does anything, so the rest of a long wait is skipped.
        for (int second = 0; second < event.number; ++second) {
            if (!experiment_.ReadInstructionsTimer.enabled() && !experiment_.WaitTimer.enabled())
                break;
            experiment_.ReadInstructionsTimer.tick();
            experiment_.WaitTimer.tick();
        }
        break;
    case Event::Type::Slider:
        if (experiment_.AllocationSlider.shown())
            experiment_.AllocationSlider.setValue(event.number);
        break;
    case Event::Type::Wait:
        wait(std::chrono::milliseconds(event.number));
        break;
    case Event::Type::Dump:
        dump(std::nullopt);
        break;
    }
}

// Real time passes, as for a window left alone: the session watch ticks at every whole second
// of it. The experiment's own timers stay with `tick`, so a script's timing stays exact.
void Runner::wait(std::chrono::milliseconds time) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    for (auto second = seconds(1); second <= time; second += seconds(1)) {
        std::this_thread::sleep_until(start + second);
        experiment_.SessionWatch.tick();
    }
    std::this_thread::sleep_until(start + time);
}

void Runner::dump(const std::optional<std::string>& ended) {
    out_ << dumpState(experiment_, services_.takeMessages(), ended) << '\n';
    out_.flush();
}

int Runner::run(std::istream& script) {
    // Where no file can be created, a run could keep no answer and its first click would be
    // refused: no script can do anything there, so none is played.
    const std::filesystem::path data = services_.programFolder() / "data";
    std::error_code ignored;
    if (std::filesystem::is_directory(data, ignored)) {
        if (const auto cause = os::cannotCreateFilesIn(data)) {
            err_ << "tovask-script: no file can be created in the data folder " << data.string()
                 << " (" << *cause
                 << "), so a run there could keep no answer; give --program-dir a folder where "
                    "you may write\n";
            err_.flush();
            return kExitUsage;
        }
    }
    if (load() != Status::Running)
        return exitCode(status_);
    std::string line;
    int lineNumber = 0;
    while (std::getline(script, line)) {
        const Status status = feed(line, ++lineNumber);
        if (status != Status::Running)
            return exitCode(status);
    }
    // A read that failed (a disk, a pipe) ends the loop like the end of the script does; the
    // events after it were never played, so the run is not reported as played.
    if (script.bad()) {
        err_ << "tovask-script: the script could not be read after line " << lineNumber
             << ", so the rest of it was not played\n";
        err_.flush();
        return kExitUsage;
    }
    return kExitDone;
}

} // namespace tovask::script
