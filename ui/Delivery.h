#pragma once
// The boundary between a toolkit's event loop and the model, shared by the window bindings.
// Each event of the model (a click, a key, a slider value, a tick, the load) runs to its end
// before the next one starts; an exception that escapes one ends the run.

#include "ui/Controls.h"

#include <deque>
#include <functional>
#include <set>
#include <string>

namespace tovask::ui {

// Each window binding is a Delivery: the events of its toolkit reach the model through it.
class Delivery {
public:
    // endRun is called once, with the message that tells the run has ended and why, when an
    // event lets an exception escape.
    explicit Delivery(std::function<void(const std::string& message)> endRun);

    // Runs the event, unless the run has ended. An event that arrives while another is still
    // being handled (from the nested loop of a message box) waits until that one has finished.
    void deliver(const std::function<void()>& event);
    // A tick waiting for a handler to finish is kept once, however often the timer fires.
    void deliverTick(Timer& timer);
    bool runEnded() const { return ended_; }
    // Whether the subject may close the window now, as the model's window answers. A run that
    // has ended closes at once; while another event is being handled (a message box is open
    // in it) the window stays, as the model could not be asked.
    bool mayClose(const Window& window);

private:
    void run(const std::function<void()>& event);

    std::function<void(const std::string&)> endRun_;
    bool busy_ = false;
    bool ended_ = false;
    std::deque<std::function<void()>> pending_;
    std::set<const Timer*> pendingTicks_;
};

} // namespace tovask::ui
