#include "measurement/SwitchTimes.h"

#include <algorithm>
#include <bit>
#include <type_traits>

namespace varentis {

namespace {

// Set bits of a word, without the library call that a build for plain x86-64 makes of it.
int bitCount(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}


// Merges the sorted runs that lie one after another in `all` (run r from starts[r] to
// starts[r + 1]) into one sorted run without repeats, merging neighbours pairwise.
template <typename T>
void mergeRuns(std::vector<T>& all, std::vector<std::size_t> starts) {
    std::vector<T> other(all.size());
    while (starts.size() > 2) {
        std::vector<std::size_t> next{0};
        for (std::size_t r = 0; r + 1 < starts.size(); r += 2) {
            const std::size_t a = starts[r], b = starts[r + 1];
            const std::size_t c = r + 2 < starts.size() ? starts[r + 2] : b;
            std::merge(all.begin() + static_cast<std::ptrdiff_t>(a),
                       all.begin() + static_cast<std::ptrdiff_t>(b),
                       all.begin() + static_cast<std::ptrdiff_t>(b),
                       all.begin() + static_cast<std::ptrdiff_t>(c),
                       other.begin() + static_cast<std::ptrdiff_t>(a));
            next.push_back(c);
        }
        all.swap(other);
        starts = std::move(next);
    }
    all.erase(std::unique(all.begin(), all.end()), all.end());
}

} // namespace

template <typename T>
SwitchTimes<T>::SwitchTimes(const std::array<std::vector<T>, kValveCount>& sums,
                            const std::array<bool, kValveCount>& defined, T cycle,
                            std::vector<T>& times)
    : cycle_(cycle), times_(times) {
    std::size_t total = 2;
    for (int v = 0; v < kValveCount; ++v) total += defined[v] ? sums[v].size() : 0;
    times.clear();
    if constexpr (std::is_integral_v<T>) {
        if (cycle > 0 && static_cast<std::uint64_t>(cycle) / 64 <= 4 * total) {
            markAll(sums, defined, total);
            return;
        }
    }
    mergeAll(sums, defined, total);
}

template <typename T>
std::optional<std::size_t> SwitchTimes<T>::find(T s, std::size_t from) const {
    std::size_t j = 0;
    if (!words_.empty()) {
        if (s == cycle_) {
            j = times_.size() - 1;
        } else {
            if (!(s > T(0) && s < cycle_)) return std::nullopt;
            const auto bit = static_cast<std::uint64_t>(s);
            const std::uint64_t word = words_[bit / 64];
            const std::uint64_t below = word & ((std::uint64_t{1} << (bit % 64)) - 1);
            if (!((word >> (bit % 64)) & 1u)) return std::nullopt;
            j = 1 + before_[bit / 64] + static_cast<std::size_t>(bitCount(below));
        }
    } else {
        const auto it = std::lower_bound(times_.begin() + static_cast<std::ptrdiff_t>(from),
                                         times_.end(), s);
        if (it == times_.end() || !(*it == s)) return std::nullopt;
        j = static_cast<std::size_t>(it - times_.begin());
    }
    if (j < from) return std::nullopt;
    return j;
}

template <typename T>
template <typename Start, typename Time>
void SwitchTimes<T>::eachCandidate(const std::array<std::vector<T>, kValveCount>& sums,
                                   const std::array<bool, kValveCount>& defined, Start&& start,
                                   Time&& time) const {
    for (int v = 0; v < kValveCount; ++v) {
        if (!defined[v]) continue;
        start();
        for (const T& s : sums[v]) {
            if (s == cycle_) break;
            if (s > T(0) && s < cycle_) time(s);
        }
    }
}

template <typename T>
void SwitchTimes<T>::markAll(const std::array<std::vector<T>, kValveCount>& sums,
                             const std::array<bool, kValveCount>& defined, std::size_t total) {
    words_.assign(static_cast<std::size_t>(cycle_) / 64 + 1, 0);
    eachCandidate(sums, defined, [] {}, [&](T s) {
        const auto bit = static_cast<std::uint64_t>(s);
        words_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    });
    times_.reserve(total);
    times_.push_back(T(0));
    before_.resize(words_.size());
    std::size_t count = 0;
    for (std::size_t w = 0; w < words_.size(); ++w) {
        before_[w] = count;
        for (std::uint64_t word = words_[w]; word != 0; word &= word - 1) {
            const auto b = static_cast<std::size_t>(std::countr_zero(word));
            times_.push_back(static_cast<T>(w * 64 + b));
            ++count;
        }
    }
    times_.push_back(cycle_);
}

template <typename T>
void SwitchTimes<T>::mergeAll(const std::array<std::vector<T>, kValveCount>& sums,
                              const std::array<bool, kValveCount>& defined, std::size_t total) {
    times_.reserve(total);
    times_.push_back(T(0));
    std::vector<std::size_t> starts;
    eachCandidate(
        sums, defined, [&] { starts.push_back(times_.size()); },
        [&](T s) { times_.push_back(s); });
    starts.push_back(times_.size());
    for (std::size_t r = 0; r + 1 < starts.size(); ++r) {
        const auto a = times_.begin() + static_cast<std::ptrdiff_t>(starts[r]);
        const auto b = times_.begin() + static_cast<std::ptrdiff_t>(starts[r + 1]);
        if (!std::is_sorted(a, b)) std::sort(a, b);
    }
    if (starts.size() < 2) starts = {1, 1};
    mergeRuns(times_, std::move(starts));
    times_.push_back(cycle_);
}

template class SwitchTimes<std::int64_t>;
template class SwitchTimes<double>;

namespace {

template <typename T>
void buildScheduleOf(const std::array<std::vector<T>, kValveCount>& sums,
                     const std::array<bool, kValveCount>& defined,
                     const std::array<bool, kValveCount>& openAtStart, T cycle,
                     std::vector<T>& times, std::vector<std::uint16_t>& masks) {
    const SwitchTimes<T> steps(sums, defined, cycle, times);
    masks.assign(times.size(), 0);
    std::vector<std::uint16_t> toggles(times.size(), 0);
    for (int v = 0; v < kValveCount; ++v) {
        if (!defined[v]) continue;
        const auto bit = static_cast<std::uint16_t>(1u << v);
        std::size_t k = 0;
        if (openAtStart[v]) {
            masks[0] |= bit;
            k = 1;
        }
        std::size_t next = 1;
        for (; k < sums[v].size(); ++k) {
            const std::optional<std::size_t> j = steps.find(sums[v][k], next);
            if (!j) break;
            toggles[*j] ^= bit;
            next = *j + 1;
        }
    }
    for (std::size_t j = 1; j < times.size(); ++j) masks[j] = masks[j - 1] ^ toggles[j];
}

} // namespace

void buildSchedule(const std::array<std::vector<std::int64_t>, kValveCount>& sums,
                   const std::array<bool, kValveCount>& defined,
                   const std::array<bool, kValveCount>& openAtStart, std::int64_t cycle,
                   std::vector<std::int64_t>& times, std::vector<std::uint16_t>& masks) {
    buildScheduleOf(sums, defined, openAtStart, cycle, times, masks);
}

void buildSchedule(const std::array<std::vector<double>, kValveCount>& sums,
                   const std::array<bool, kValveCount>& defined,
                   const std::array<bool, kValveCount>& openAtStart, double cycle,
                   std::vector<double>& times, std::vector<std::uint16_t>& masks) {
    buildScheduleOf(sums, defined, openAtStart, cycle, times, masks);
}

} // namespace varentis
