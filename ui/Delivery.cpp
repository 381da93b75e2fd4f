#include "ui/Delivery.h"

#include <exception>
#include <utility>

namespace tovask::ui {

Delivery::Delivery(std::function<void(const std::string& message)> endRun)
    : endRun_(std::move(endRun)) {}

void Delivery::deliver(const std::function<void()>& event) {
    if (ended_)
        return;
    if (busy_) {
        pending_.push_back(event);
        return;
    }
    busy_ = true;
    run(event);
    while (!pending_.empty() && !ended_) {
        const std::function<void()> next = std::move(pending_.front());
        pending_.pop_front();
        run(next);
    }
    pending_.clear();
    pendingTicks_.clear();
    busy_ = false;
}

void Delivery::deliverTick(Timer& timer) {
    if (busy_) {
        if (pendingTicks_.insert(&timer).second)
            pending_.push_back([this, &timer] {
                pendingTicks_.erase(&timer);
                timer.tick();
            });
        return;
    }
    deliver([&timer] { timer.tick(); });
}

bool Delivery::mayClose(const Window& window) {
    if (ended_)
        return true;
    if (busy_)
        return false;
    bool may = true;
    deliver([&window, &may] { may = window.queryClose(); });
    return may || ended_;
}

void Delivery::run(const std::function<void()>& event) {
    std::string what;
    try {
        event();
        return;
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = "an unknown error";
    }
    ended_ = true;
    endRun_("The run has ended: " + what);
}

} // namespace tovask::ui
