#pragma once

#include "base/Failure.h"

#include <string>

namespace tovask::test {

// The message of the tovask::Failure that f throws; "" when it throws none.
template <typename F> std::string failureOf(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

} // namespace tovask::test
