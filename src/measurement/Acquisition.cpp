#include "measurement/Acquisition.h"

namespace varentis {

Acquisition::Acquisition(TDevice& device, Mode mode) : mode_(mode), run_(device, events_) {
    if (mode_ == Mode::Thread) {
        run_.CommandWaiting = &commandWaiting_;
        thread_ = std::thread([this] { loop(); });
    }
}

Acquisition::~Acquisition() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        commandWaiting_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Acquisition::start(const RunOptions& options, const PointSizing& sizing) {
    execute([options, sizing](RunControl& run) { run.start(options, sizing); });
}

void Acquisition::resume(const RunOptions& options) {
    execute([options](RunControl& run) { run.resume(options); });
}

void Acquisition::pause() {
    execute([](RunControl& run) { run.pause(); });
}

void Acquisition::stop() {
    execute([](RunControl& run) { run.stop(); });
}

void Acquisition::setOptions(const RunOptions& options) {
    execute([options](RunControl& run) { run.setOptions(options); }, false);
}

void Acquisition::tick() {
    if (mode_ == Mode::Inline) run_.tick();
}

void Acquisition::execute(Command command, bool wait) {
    if (mode_ == Mode::Inline) {
        command(run_);
        return;
    }
    std::unique_lock lock(mutex_);
    if (quit_) return;
    commands_.push_back(std::move(command));
    const std::uint64_t ticket = ++queued_;
    // New options can wait for the end of the tick; a command ends it early.
    if (wait) commandWaiting_.store(true, std::memory_order_relaxed);
    wake_.notify_all();
    if (wait) done_.wait(lock, [&] { return completed_ >= ticket; });
}

void Acquisition::loop() {
    std::unique_lock lock(mutex_);
    Clock::time_point next = Clock::now();
    for (;;) {
        if (quit_) return;
        if (!commands_.empty()) {
            Command command = std::move(commands_.front());
            commands_.pop_front();
            const bool wasEnabled = run_.TimerEnabled;
            lock.unlock();
            command(run_);
            lock.lock();
            // The timer's first tick comes one interval after it was switched on.
            if (!wasEnabled && run_.TimerEnabled)
                next = Clock::now() + std::chrono::nanoseconds(interval_.load());
            ++completed_;
            if (commands_.empty()) commandWaiting_.store(false, std::memory_order_relaxed);
            done_.notify_all();
            continue;
        }
        if (!run_.TimerEnabled) {
            wake_.wait(lock, [&] { return quit_ || !commands_.empty(); });
            continue;
        }
        if (Clock::now() < next) {
            wake_.wait_until(lock, next, [&] { return quit_ || !commands_.empty(); });
            continue;
        }
        lock.unlock();
        run_.tick();
        lock.lock();
        // Like a window timer, a late tick is not made up for: the next one keeps the
        // interval from this one's due time, or comes at once when that has passed too.
        next += std::chrono::nanoseconds(interval_.load());
        const Clock::time_point now = Clock::now();
        if (next < now) next = now;
    }
}

} // namespace varentis
