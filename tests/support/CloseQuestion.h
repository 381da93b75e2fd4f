#pragma once
// The window model's question whether it may close, as a binding's test answers it: always the
// same answer, and a count of how often it was asked.

#include "ui/Controls.h"

namespace tovask::test {

class CloseQuestion {
public:
    CloseQuestion(ui::Window& window, bool may) {
        window.onQueryClose = [this, may] {
            ++asked_;
            return may;
        };
    }
    CloseQuestion(const CloseQuestion&) = delete;
    CloseQuestion& operator=(const CloseQuestion&) = delete;

    int asked() const { return asked_; }

private:
    int asked_ = 0;
};

} // namespace tovask::test
