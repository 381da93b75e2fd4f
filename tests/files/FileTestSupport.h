#pragma once
// Helpers shared by the data-file tests.

#include "base/Failure.h"
#include "files/Diagnostics.h"
#include "tests/support/FailureOf.h"

#include <gtest/gtest.h>

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

// One case of a table-driven test on a file's bytes: what it is, the bytes, and the text that
// must come out of them.
struct BytesCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

template <typename Produce>
void expectForEach(const std::vector<BytesCase>& cases, Produce produce) {
    for (const BytesCase& c : cases)
        EXPECT_EQ(produce(c.bytes), c.expected) << c.name;
}

} // namespace tovask::test
