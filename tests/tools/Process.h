#pragma once
// A child process for the tests of the built tools: its standard input and its output (standard
// output and errors together) are pipes, so a test can feed a script line by line, wait for
// what it prints, and kill it at any point.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tovask::test {

class Process {
public:
    explicit Process(const std::vector<std::string>& argv);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    void write(const std::string& text);
    // The next line of the output (without its line end); empty when the output
    // ends or nothing comes within the timeout.
    std::optional<std::string> readLine(int timeoutMs = 20000);
    // Closes the standard input: the end of the script.
    void closeInput();
    // Everything the process prints until it ends.
    std::string readAll();
    void kill(int signal);
    // Waits for the end; the raw status of waitpid.
    int wait();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffered_;
    bool waited_ = false;
};

struct Finished {
    int exitCode = -1; // -1 when a signal ended it
    std::string output;
};
// Runs a command to its end with an empty input.
Finished runToEnd(const std::vector<std::string>& argv);

} // namespace tovask::test
