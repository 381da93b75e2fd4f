#pragma once
// Helpers shared by the data-file tests.

#include "base/Failure.h"
#include "files/Diagnostics.h"
#include "tests/support/FailureOf.h"

#include <string>
#include <vector>

namespace tovask::test {

// Records every report as "file:line:item: message" and lets the reader go on.
class CollectDiagnostics : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override {
        errors.push_back(describe(where, message));
    }
    void warning(const Location& where, const std::string& message) override {
        warnings.push_back(describe(where, message));
    }
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
};

} // namespace tovask::test
