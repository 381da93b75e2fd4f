#pragma once
#include <stdexcept>

namespace tovask {

// A failure the experimenter can mend: a file that is missing, malformed or cannot be written,
// a parameter that is not usable. The handler that raised it has changed nothing of the run
// (each click validates before it changes the window), so the handler guard of the experiment
// window shows the message in a message box and the run goes on from where it stood. Any other
// exception ends the run.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tovask
