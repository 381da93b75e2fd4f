// The session console with a room of simulated PCs: each writes its run log, its sign of life
// and its lock into one shared folder as a run does, at a subject's pace (a problem every few
// seconds, a beat every 5 s). A page's stream of events (/api/events) is read as the browser
// reads it. Prints "name value" lines:
//   console_event_median_ms, console_event_p95_ms  from a problem shown (its log line written)
//                                                  to the first event that shows it
//   console_cpu_percent                            the console's CPU time over the wall time
//   console_peak_memory_mb                         its peak resident memory (VmHWM)
//   console_events                                 how many problems were timed
//
//     bench_console TOVASK_CONSOLE [PCS] [SECONDS]
#include "tests/console/LabFiles.h"
#include "tests/support/ProgramFolder.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Steady = std::chrono::steady_clock;
using namespace tovask;

// The console as a child process, with the first line it prints.
struct ConsoleProcess {
    pid_t pid = -1;
    std::string address;

    ConsoleProcess(const std::string& program, const std::string& folder) {
        int out[2];
        if (::pipe(out) != 0)
            throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> args = {program, "--no-browser", "--port", "0", folder};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            address += c;
        // The rest of its output is not read: keep the pipe open so it never blocks on it.
        outFd = out[0];
    }
    ~ConsoleProcess() { stop(); }
    void stop() {
        if (pid < 0)
            return;
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(outFd);
        pid = -1;
    }
    int outFd = -1;
};

// utime + stime of a process, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::stol(field);
        if (n == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

double peakMemoryMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("VmHWM:"))
            return std::stod(line.substr(6)) * 1024 / 1e6;
    return 0;
}

// When each PC's problem was shown (written), and when a page first saw it.
class Timings {
public:
    void shown(int pc, int problem, Steady::time_point at) {
        std::lock_guard lock(mutex_);
        written_[{pc, problem}] = at;
    }
    // A state in which the PC stands at the problem.
    void seen(int pc, int problem, Steady::time_point at) {
        std::lock_guard lock(mutex_);
        for (auto it = written_.begin(); it != written_.end();) {
            if (it->first.first == pc && it->first.second <= problem) {
                delays_.push_back(
                    std::chrono::duration<double, std::milli>(at - it->second).count());
                it = written_.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::vector<double> delays() {
        std::lock_guard lock(mutex_);
        return delays_;
    }

private:
    std::mutex mutex_;
    std::map<std::pair<int, int>, Steady::time_point> written_;
    std::vector<double> delays_;
};

// Reads the stream of events the page reads and notes, for every run in each state, the problem
// it stands at.
void readEvents(const std::string& address, Timings& timings, const std::atomic<bool>& running) {
    const std::string rest = address.substr(std::string("http://127.0.0.1:").size());
    const std::string port = rest.substr(0, rest.find('/'));
    const std::string token = rest.substr(rest.find("token=") + 6);
    net::io_context context;
    tcp::socket socket(context);
    socket.connect(
        {net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(std::stoi(port))});
    const std::string request =
        "GET /api/events?token=" + token + " HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\n\r\n";
    net::write(socket, net::buffer(request));
    beast::flat_buffer buffer;
    http::response_parser<http::buffer_body> parser;
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
    http::read_header(socket, buffer, parser);
    std::string text;
    char data[1 << 16];
    while (running && !parser.is_done()) {
        parser.get().body().data = data;
        parser.get().body().size = sizeof data;
        beast::error_code ec;
        http::read_some(socket, buffer, parser, ec);
        if (ec && ec != http::error::need_buffer)
            return;
        const auto now = Steady::now();
        text.append(data, sizeof data - parser.get().body().size);
        for (std::size_t end; (end = text.find("\n\n")) != std::string::npos;
             text.erase(0, end + 2)) {
            const std::string event = text.substr(0, end);
            // Each run: "pc":"PC07", then its "problem":12.
            for (std::size_t at = 0; (at = event.find("\"pc\":\"PC", at)) != std::string::npos;) {
                at += 8;
                const int pc = std::atoi(event.c_str() + at);
                const std::size_t problem = event.find("\"problem\":", at);
                if (problem == std::string::npos)
                    break;
                timings.seen(pc, std::atoi(event.c_str() + problem + 10), now);
            }
        }
    }
}

// One simulated PC: a problem shown, answered a few seconds later, the next shown at once.
struct SimulatedPc {
    std::unique_ptr<test::LabRun> run;
    Steady::time_point next;
    Steady::time_point nextBeat;
    bool onScreen = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench_console TOVASK_CONSOLE [PCS] [SECONDS]\n";
        return 2;
    }
    const int pcs = argc > 2 ? std::atoi(argv[2]) : 60;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
    constexpr int kProblems = 100;
    test::ProgramFolder folder("tovask-bench-console");

    std::mt19937 random(7);
    std::uniform_int_distribution<int> thinking(2000, 6000);
    std::vector<SimulatedPc> lab(static_cast<std::size_t>(pcs));
    const auto start = Steady::now();
    for (int i = 0; i < pcs; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "PC%02d", i + 1);
        char file[16];
        std::snprintf(file, sizeof file, "%02d", i + 1);
        SimulatedPc& pc = lab[static_cast<std::size_t>(i)];
        pc.run = std::make_unique<test::LabRun>(folder.data(), file, name);
        pc.run->start(kProblems);
        pc.run->released(1, true);
        pc.next = start + std::chrono::milliseconds(thinking(random));
        pc.nextBeat = start + std::chrono::milliseconds(5000 * i / pcs);
    }

    ConsoleProcess console(argv[1], folder.data().string());
    Timings timings;
    std::atomic<bool> running = true;
    std::thread reader([&] { readEvents(console.address, timings, running); });
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the console reads the folder once

    const long ticksBefore = cpuTicks(console.pid);
    const auto measured = Steady::now();
    const auto end = measured + std::chrono::seconds(seconds);
    while (Steady::now() < end) {
        const auto now = Steady::now();
        for (std::size_t i = 0; i < lab.size(); ++i) {
            SimulatedPc& pc = lab[i];
            if (now >= pc.nextBeat) {
                pc.run->beat(3, 0);
                pc.nextBeat += std::chrono::seconds(5);
            }
            if (now < pc.next)
                continue;
            if (pc.onScreen) {
                pc.run->answered("5", thinking(random));
                pc.next = now + std::chrono::milliseconds(300);
            } else {
                pc.run->shown();
                timings.shown(static_cast<int>(i) + 1, pc.run->problem(), Steady::now());
                pc.next = now + std::chrono::milliseconds(thinking(random));
            }
            pc.onScreen = !pc.onScreen;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double wall = std::chrono::duration<double>(Steady::now() - measured).count();
    const long ticks = cpuTicks(console.pid) - ticksBefore;
    std::this_thread::sleep_for(std::chrono::seconds(1)); // the last events reach the page
    running = false;
    const double memory = peakMemoryMb(console.pid);
    console.stop(); // its connection ends, and with it the reader
    reader.join();

    std::vector<double> delays = timings.delays();
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        std::cerr << "bench_console: no event reached the page\n";
        return 1;
    }
    const auto at = [&delays](double share) {
        return delays[std::min(delays.size() - 1, static_cast<std::size_t>(share * delays.size()))];
    };
    std::printf("console_event_median_ms %.0f\n", at(0.5));
    std::printf("console_event_p95_ms %.0f\n", at(0.95));
    std::printf("console_cpu_percent %.2f\n", 100.0 * static_cast<double>(ticks) /
                                                  static_cast<double>(::sysconf(_SC_CLK_TCK)) /
                                                  wall);
    std::printf("console_peak_memory_mb %.1f\n", memory);
    std::printf("console_events %zu\n", delays.size());
    return 0;
}
