#pragma once
// Runs a stretch of a test without the superuser's rights: as root (how CI runs), the process
// takes the unprivileged user "nobody" as its effective user until the guard ends, so that a
// read-only folder refuses it as it refuses a lab's user. Outside root nothing changes.

#include <gtest/gtest.h>

#include <sys/types.h>
#include <unistd.h>

namespace tovask::test {

class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;

    Unprivileged() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_) {
            EXPECT_EQ(::seteuid(kNobody), 0) << "cannot take the user nobody";
        }
    }
    ~Unprivileged() {
        if (wasRoot_) {
            EXPECT_EQ(::seteuid(0), 0) << "cannot return to the superuser";
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool wasRoot_;
};

} // namespace tovask::test
