#pragma once
// The console's work on the files, on a thread of its own: it polls the session's folders a few
// times a second, keeps the latest state and payment list as JSON, writes the payment list when
// it changes, and runs the experimenter's requests (a release, a plan) between two polls. A
// share that hangs holds up only this thread: the page stays served and tells how old its
// state is.

#include "tools/console/Session.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tovask::console {

class Monitor {
public:
    // publish is called on the monitor's thread with the state's JSON whenever it changed, and
    // at least once a second. paymentsFile is where the payment list is written.
    Monitor(Session& session, std::filesystem::path paymentsFile,
            std::function<void(std::string)> publish,
            std::chrono::milliseconds interval = std::chrono::milliseconds(250));
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    std::shared_ptr<const std::string> state() const;
    std::shared_ptr<const std::string> payments() const;

    // Runs the task on the monitor's thread before the next poll, then polls at once.
    void submit(std::function<void(Session&)> task);

private:
    void loop();
    void pollOnce();

    Session& session_;
    std::filesystem::path paymentsFile_;
    std::function<void(std::string)> publish_;
    std::chrono::milliseconds interval_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void(Session&)>> tasks_;
    bool stopping_ = false;
    std::shared_ptr<const std::string> state_, payments_;

    // Only the monitor's thread touches these.
    std::string published_; // the state last published, without its time
    Clock::time_point publishedAt_{};
    std::vector<std::string> playedOut_; // the runs whose playing out the payment list holds
    PaymentList paymentList_;
    std::string paymentsWritten_; // the text of the file last written

    std::thread thread_;
};

} // namespace tovask::console
