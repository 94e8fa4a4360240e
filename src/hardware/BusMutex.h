#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace varentis {

// The lock of the module bus. The acquisition thread takes it for every operation of its
// busy loop, thousands of times a second; a plain mutex would let that thread take it back
// again and again while the window waits to switch a valve. This one serves the threads in
// the order they asked (a ticket lock), so the window waits for one operation at most:
// microseconds, never a tick. Uncontended it costs two atomic operations.
class BusMutex {
public:
    BusMutex() = default;
    BusMutex(const BusMutex&) = delete;
    BusMutex& operator=(const BusMutex&) = delete;

    void lock() {
        const std::uint32_t ticket = next_.fetch_add(1, std::memory_order_relaxed);
        while (serving_.load(std::memory_order_acquire) != ticket) std::this_thread::yield();
    }
    void unlock() { serving_.fetch_add(1, std::memory_order_release); }

private:
    std::atomic<std::uint32_t> next_{0};
    std::atomic<std::uint32_t> serving_{0};
};

} // namespace varentis
