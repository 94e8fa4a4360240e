#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace varentis::test {

// Runs the window's event loop for `ms` milliseconds, as the program's own loop runs: a
// posted event is taken at once. (QTest::qWait sleeps 10 ms between its rounds of events,
// which alone makes events wait up to 10 ms.)
inline void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// How long events wait for the window's thread: another thread posts an event every
// `interval`, stamped with the time it was posted; the window's thread notes how late each
// one is when it gets to it. What an operator feels as a sluggish window.
class EventLateness : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    explicit EventLateness(std::chrono::milliseconds interval = std::chrono::milliseconds(10))
        : interval_(interval) {}
    ~EventLateness() override { stop(); }

    void start() {
        running_ = true;
        poster_ = std::thread([this] {
            Clock::time_point next = Clock::now();
            while (running_) {
                {
                    // The stamp goes by a lock of our own, which the thread checker sees.
                    std::lock_guard lock(mutex_);
                    stamps_.push_back(Clock::now());
                }
                QCoreApplication::postEvent(this, new QEvent(kType));
                next += interval_;
                std::this_thread::sleep_until(next);
            }
        });
    }
    void stop() {
        running_ = false;
        if (poster_.joinable()) poster_.join();
    }

    // Milliseconds each delivered event waited, in the order they came.
    const std::vector<double>& waits() const { return waits_; }
    double quantile(double q) const {
        if (waits_.empty()) return 0.0;
        std::vector<double> sorted = waits_;
        std::sort(sorted.begin(), sorted.end());
        const auto i = static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1));
        return sorted[i];
    }
    double worst() const { return waits_.empty() ? 0.0 : *std::max_element(waits_.begin(), waits_.end()); }

protected:
    bool event(QEvent* e) override {
        if (e->type() != kType) return QObject::event(e);
        Clock::time_point posted;
        {
            std::lock_guard lock(mutex_);
            if (stamps_.empty()) return true;
            posted = stamps_.front();
            stamps_.pop_front();
        }
        const auto waited = Clock::now() - posted;
        waits_.push_back(std::chrono::duration<double, std::milli>(waited).count());
        return true;
    }

private:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 17);

    std::chrono::milliseconds interval_;
    std::atomic<bool> running_{false};
    std::thread poster_;
    std::mutex mutex_;
    std::deque<Clock::time_point> stamps_;
    std::vector<double> waits_;
};

} // namespace varentis::test
