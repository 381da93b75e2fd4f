#pragma once
// The state of the window as one line of JSON: the stage, the problem number, the window
// caption, every control by its name, the run's variables, the messages shown since the last
// dump and, when a failure has ended the run, its message.

#include "core/Experiment.h"
#include "tools/script/HeadlessServices.h"

#include <optional>
#include <string>
#include <vector>

namespace tovask::script {

// The JSON object without a line end.
std::string dumpState(const Experiment& experiment, const std::vector<Message>& messages,
                      const std::optional<std::string>& ended);

} // namespace tovask::script
