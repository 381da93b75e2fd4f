#include "tools/console/Monitor.h"

#include "base/Failure.h"
#include "tools/console/StateJson.h"

namespace tovask::console {

namespace {

constexpr auto kPublishAtLeastEvery = std::chrono::seconds(1);

std::int64_t msSince1970(std::chrono::system_clock::time_point moment) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
}

} // namespace

Monitor::Monitor(Session& session, std::filesystem::path paymentsFile,
                 std::function<void(std::string)> publish, std::chrono::milliseconds interval)
    : session_(session), paymentsFile_(std::move(paymentsFile)), publish_(std::move(publish)),
      interval_(interval) {
    pollOnce();
    thread_ = std::thread([this] { loop(); });
}

Monitor::~Monitor() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::shared_ptr<const std::string> Monitor::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::shared_ptr<const std::string> Monitor::payments() const {
    std::lock_guard lock(mutex_);
    return payments_;
}

void Monitor::submit(std::function<void(Session&)> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void Monitor::loop() {
    for (;;) {
        std::deque<std::function<void(Session&)>> tasks;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, interval_, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_)
                return;
            tasks.swap(tasks_);
        }
        for (auto& task : tasks)
            task(session_);
        pollOnce();
    }
}

void Monitor::pollOnce() {
    const auto now = Clock::now();
    const auto wallNow = std::chrono::system_clock::now();
    session_.poll(now, wallNow);
    const std::vector<RunRow> rows = session_.rows(now);

    // The payment list is read again from the logs whenever another run has been played out.
    std::vector<std::string> playedOut;
    for (const RunRow& row : rows)
        if (row.phase == Phase::PlayedOut)
            playedOut.push_back(row.id);
    if (playedOut != playedOut_ || !payments_) {
        playedOut_ = playedOut;
        paymentList_ = session_.payments();
        const std::string text = paymentsCsv(paymentList_);
        if (!paymentList_.payments.empty() && text != paymentsWritten_) {
            try {
                writePayments(paymentList_, paymentsFile_);
                paymentsWritten_ = text;
            } catch (const Failure& failure) {
                paymentList_.problems.push_back(failure.what());
            }
        }
        auto json =
            std::make_shared<const std::string>(paymentsJson(paymentList_, paymentsFile_.string()));
        std::lock_guard lock(mutex_);
        payments_ = std::move(json);
    }

    const Summary summary = Session::summarize(rows);
    const StateParts parts{
        rows, summary, session_.plan(), session_.folders(), paymentList_, paymentsFile_.string()};
    std::string unchanging = stateJson(parts, std::nullopt);
    auto state = std::make_shared<const std::string>(stateJson(parts, msSince1970(wallNow)));
    {
        std::lock_guard lock(mutex_);
        state_ = state;
    }
    if (unchanging != published_ || now - publishedAt_ >= kPublishAtLeastEvery) {
        published_ = std::move(unchanging);
        publishedAt_ = now;
        publish_(*state);
    }
}

} // namespace tovask::console
