#pragma once

#include "measurement/RunControl.h"
#include "measurement/RunEventQueue.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace varentis {

// The run with its acquisition timer. In the program the ticks run on a thread of their
// own, every 110 ms as the timer gives them, so the window never waits for the 0.105 s busy
// loop; tests drive the same run tick by tick on their own thread instead.
//
// Run, Pause and Stop are commands carried out between two ticks, in the order given: a
// command ends the tick in progress after its current pass, is carried out, and the caller
// goes on once it is done (a pass lasts microseconds). What the run shows waits in
// `events()` for the window to take.
class Acquisition {
public:
    enum class Mode {
        Thread, // the program: a thread of its own, paced by the steady clock
        Inline, // tests: commands and ticks on the caller's thread, ticks by tick()
    };
    static constexpr std::chrono::milliseconds kTickInterval{110};

    Acquisition(TDevice& device, Mode mode);
    ~Acquisition();
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    void start(const RunOptions& options, const PointSizing& sizing);
    void resume(const RunOptions& options);
    void pause();
    void stop();
    // The options for the next tick; returns at once.
    void setOptions(const RunOptions& options);
    // The timer's interval in the computer's time: 110 ms, or that much of a simulated
    // instrument's time when its clock runs faster or slower (each tick still ends after
    // 0.105 s of instrument time, so the ticks then cover the run's time as with hardware).
    void setTickInterval(std::chrono::nanoseconds interval) { interval_ = interval.count(); }

    // Inline mode: one tick of the acquisition timer (nothing while it is off).
    void tick();

    RunEventQueue& events() { return events_; }
    Mode mode() const { return mode_; }
    // The run itself: to set its clock in tests, to read its counters in Inline mode or
    // while it is stopped.
    RunControl& run() { return run_; }

private:
    using Clock = std::chrono::steady_clock;
    using Command = std::function<void(RunControl&)>;

    // Carries `command` out between two ticks; waits for it unless `wait` is false.
    void execute(Command command, bool wait = true);
    void loop();

    Mode mode_;
    RunEventQueue events_;
    RunControl run_;

    std::mutex mutex_;
    std::condition_variable wake_;  // the thread: a command, or the end
    std::condition_variable done_;  // the callers: a command carried out
    std::deque<Command> commands_;
    std::uint64_t queued_ = 0, completed_ = 0;
    std::atomic<bool> commandWaiting_{false};
    std::atomic<std::int64_t> interval_{std::chrono::nanoseconds(kTickInterval).count()};
    bool quit_ = false;
    std::thread thread_;
};

} // namespace varentis
