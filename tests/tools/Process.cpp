#include "tests/tools/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tovask::test {

Process::Process(const std::vector<std::string>& argv) {
    int input[2], output[2];
    // Close-on-exec: a second child must not hold the pipes of the first, or the first would
    // never see the end of its input.
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    for (const int fd : {input[0], input[1], output[0], output[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int error = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    in_ = input[1];
    out_ = output[0];
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    // A child that has ended must not end the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

Process::~Process() {
    if (in_ >= 0)
        ::close(in_);
    if (!waited_) {
        ::kill(pid_, SIGKILL);
        wait();
    }
    ::close(out_);
}

void Process::write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("cannot write to the child");
        done += static_cast<std::size_t>(n);
    }
}

std::optional<std::string> Process::readLine(int timeoutMs) {
    for (;;) {
        const std::size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        pollfd ready{out_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) <= 0)
            return std::nullopt;
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n <= 0)
            return std::nullopt;
        buffered_.append(chunk, static_cast<std::size_t>(n));
    }
}

void Process::closeInput() {
    ::close(in_);
    in_ = -1;
}

std::string Process::readAll() {
    std::string all = std::move(buffered_);
    buffered_.clear();
    char chunk[4096];
    for (ssize_t n; (n = ::read(out_, chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        all.append(chunk, static_cast<std::size_t>(n));
    }
    return all;
}

void Process::kill(int signal) {
    ::kill(pid_, signal);
}

int Process::wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    waited_ = true;
    return status;
}

Finished runToEnd(const std::vector<std::string>& argv) {
    Process process(argv);
    process.closeInput();
    Finished finished;
    finished.output = process.readAll();
    const int status = process.wait();
    finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

} // namespace tovask::test
