#pragma once
// Where a reader reports what it finds wrong in a file. The program stops at the first error
// (ThrowOnError); the data checker collects every error and warning of a file.

#include <string>
#include <vector>

namespace tovask {

// A place in a data file: 1-based line, and the item's 1-based position within that line
// (0 where the problem concerns the whole line or the whole file).
struct Location {
    std::string file;
    int line = 0;
    int item = 0;
};

// "file:line:item: message", the form every file error is shown in.
std::string describe(const Location& where, const std::string& message);

class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    // A fault that makes the file unusable. May throw; a reader that gets control back goes on
    // as well as it can, so that one pass finds every fault.
    virtual void error(const Location& where, const std::string& message) = 0;
    // Something legal but probably not meant (the program runs with it).
    virtual void warning(const Location& where, const std::string& message) = 0;
    // A fault the program runs with but that the subject would meet: an error message at a
    // problem, or a text that is missing, shifted or garbled. The program goes on, so by default
    // it is a warning; the data checker counts it as an error.
    virtual void seenBySubject(const Location& where, const std::string& message) {
        warning(where, message);
    }
};

// The program's way: the first error is thrown as a tovask::Failure; warnings are ignored.
class ThrowOnError : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override;
    void warning(const Location&, const std::string&) override {}
};

// A reader's errors as "file:line:item: message", every one, for a tool that shows them and
// goes on with what could be read; warnings are left out.
class CollectErrors : public Diagnostics {
public:
    void error(const Location& where, const std::string& message) override {
        errors.push_back(describe(where, message));
    }
    void warning(const Location&, const std::string&) override {}
    std::vector<std::string> errors;
};

} // namespace tovask
