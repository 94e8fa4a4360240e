#include "measurement/ValveProgram.h"

#include "core/Decimal.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

namespace varentis {

namespace {

constexpr int kPasses = 10;
// Bounds of one group's expansion besides the valve's intervals: a run of copies that only
// adds into one interval (n*(0,5)) or carries long unreadable text stops here.
constexpr std::size_t kExpansionNumbers = 50000;
constexpr std::size_t kExpansionChars = std::size_t{1} << 20;

constexpr std::string_view kValveNames[kValveCount] = {"V1=", "V2=", "V3=", "V4=",
                                                       "V5=", "V6=", "V7=", "V8=",
                                                       "V9=", "V10=", "V11=", "V12="};

std::string_view skipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

enum class ItemKind { Number, Stop, Pause, Other };

struct Item {
    ItemKind Kind = ItemKind::Other;
    DecimalText Number;
};

Item readItem(std::string_view text) {
    Item item;
    const std::string_view t = skipBlanks(text);
    if (t == "SA") {
        item.Kind = ItemKind::Stop;
    } else if (t == "PA") {
        item.Kind = ItemKind::Pause;
    } else {
        item.Number = readDecimal(text);
        if (item.Number.Valid) item.Kind = ItemKind::Number;
    }
    return item;
}

template <typename F>
void forEachItem(std::string_view list, F&& f) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        f(list.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                             : comma - start));
        if (comma == std::string_view::npos) return;
        start = comma + 1;
    }
}

// The repeat count before "*(": a whole number after optional blanks; a minus sign is
// ignored. Anything else counts 0.
std::uint64_t readCount(std::string_view t) {
    t = skipBlanks(t);
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    if (t.empty()) return 0;
    constexpr std::uint64_t kHuge = std::uint64_t{1} << 62;
    std::uint64_t n = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return 0;
        n = std::min(kHuge, n * 10 + static_cast<std::uint64_t>(c - '0'));
    }
    return n;
}

// n copies of `inner`, joined by commas. Copying stops where nothing further can reach the
// valve's intervals: past 5000 intervals formed even after a cancelling 0 before the group
// (the worst start), or past the number and size bounds. What it drops then is only its
// "SA" and "PA", added once each, and its last item, which joins the text after the group.
std::string repeatGroup(std::string_view inner, std::uint64_t n) {
    std::string out;
    if (n == 0) return out;
    std::vector<std::string_view> items;
    std::vector<Item> kinds;
    bool nonzero = false, stop = false, pause = false;
    forEachItem(inner, [&](std::string_view item) {
        items.push_back(item);
        kinds.push_back(readItem(item));
        const Item& k = kinds.back();
        nonzero |= k.Kind == ItemKind::Number && k.Number.Value != 0.0;
        stop |= k.Kind == ItemKind::Stop;
        pause |= k.Kind == ItemKind::Pause;
    });
    // Without a nonzero number a copy forms no interval: two copies do all that more would.
    if (!nonzero) n = std::min<std::uint64_t>(n, 2);

    std::size_t pushes = 0, numbers = 0;
    bool pending = true;
    for (std::uint64_t c = 0; c < n; ++c) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (c > 0 || i > 0) out += ',';
            out += items[i];
            if (kinds[i].Kind == ItemKind::Number) {
                ++numbers;
                if (kinds[i].Number.Value == 0.0) {
                    pending = true;
                } else {
                    if (!pending) ++pushes;
                    pending = false;
                }
            }
            const bool last = c + 1 == n && i + 1 == items.size();
            if (!last && (pushes > kMaxValveIntervals || numbers >= kExpansionNumbers ||
                          out.size() >= kExpansionChars)) {
                if (stop) out += ",SA";
                if (pause) out += ",PA";
                out += ',';
                out += items.back();
                return out;
            }
        }
    }
    return out;
}

// Exact lengths are held as whole multiples of 10^exponent below this magnitude, so that
// the sums of 5000 of them stay inside 64 bits; beyond it the doubles are all there is.
constexpr std::int64_t kExactLimit = 1'000'000'000'000'000; // 10^15

constexpr std::int64_t kPow10[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000};
constexpr int kMaxShift = 15;

constexpr std::array<std::int64_t, kMaxShift + 1> makeShiftLimits() {
    std::array<std::int64_t, kMaxShift + 1> limits{};
    for (int i = 0; i <= kMaxShift; ++i)
        limits[static_cast<std::size_t>(i)] = kExactLimit / kPow10[i];
    return limits;
}
constexpr std::array<std::int64_t, kMaxShift + 1> kShiftLimits = makeShiftLimits();

// `v` x 10^shift, when it stays within kExactLimit.
bool shifted(std::int64_t v, int shift, std::int64_t& out) {
    if (shift < 0 || shift > kMaxShift) return v == 0 ? (out = 0, true) : false;
    const std::int64_t limit = kShiftLimits[static_cast<std::size_t>(shift)];
    if (v > limit || v < -limit) return false;
    out = v * kPow10[shift];
    return true;
}

// Set bits of a word, without the library call that a build for plain x86-64 makes of it.
int bitCount(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// A number item: its double, and exactly as digits x 10^exponent when it fits 64 bits.
struct Number {
    double value = 0.0;
    std::int64_t digits = 0;
    int exponent = 0;
    bool exact = false;
};

Number numberOf(const DecimalText& d) {
    Number n;
    n.value = d.Value;
    const Int128 limit = kExactLimit;
    n.exact = d.Number.Exact && d.Number.Digits <= limit && d.Number.Digits >= -limit;
    if (n.exact) {
        n.digits = static_cast<std::int64_t>(d.Number.Digits);
        n.exponent = d.Number.Exponent;
    }
    return n;
}

// The common items, read in one pass: optional blanks and sign, up to 15 digits with an
// optional fraction, then the comma or the end. True with `p` at that comma or end;
// anything else goes the general way (false, `p` somewhere in the item).
bool plainNumber(const char*& p, const char* end, Number& n) {
    constexpr double kPow10d[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::int64_t digits = 0;
    int count = 0, fraction = 0;
    bool any = false, point = false;
    for (; p < end && *p != ','; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            any = true;
            if (digits == 0 && c == '0') {
                fraction += point;
                continue;
            }
            if (++count > 15) return false;
            digits = digits * 10 + (c - '0');
            fraction += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!any || fraction > 15) return false;
    n.digits = negative ? -digits : digits;
    n.exponent = digits == 0 ? 0 : -fraction;
    n.exact = true;
    // Both are exact doubles: one rounding gives the nearest double, as the library's
    // reading would.
    n.value = static_cast<double>(digits) / kPow10d[fraction];
    if (negative) n.value = -n.value;
    return true;
}

// The intervals of one valve as its list is read: a 0 after the first entry adds the next
// number into the previous interval; numbers beyond 5000 intervals are ignored. Besides the
// doubles the lengths are kept exactly, on one decimal scale for the valve.
struct IntervalList {
    std::vector<double> values;
    std::vector<std::int64_t> digits; // the lengths in units of 10^exponent
    int exponent = 0;
    bool scaled = false; // a nonzero length has set the exponent
    bool exact = true;
    std::size_t formed = 0; // intervals the list formed, also those beyond 5000
    bool pending = false;

    void add(const Number& n) {
        if (formed == 0) {
            push(n);
        } else if (n.value == 0.0) {
            pending = true;
        } else if (pending) {
            pending = false;
            if (formed <= kMaxValveIntervals) {
                values.back() += n.value;
                std::int64_t d = 0;
                if (exact && onScale(n, d)) {
                    digits.back() += d;
                    exact = digits.back() <= kExactLimit && digits.back() >= -kExactLimit;
                }
            }
        } else {
            push(n);
        }
    }
    void push(const Number& n) {
        if (++formed > kMaxValveIntervals) return;
        values.push_back(n.value);
        std::int64_t d = 0;
        if (exact && onScale(n, d)) digits.push_back(d);
    }
    // `n` on the valve's scale; a finer number rescales what the list holds. False (and the
    // list no longer exact) when it cannot be held.
    bool onScale(const Number& n, std::int64_t& out) {
        if (!n.exact) return exact = false;
        if (n.digits == 0) {
            out = 0;
            return true;
        }
        if (!scaled) {
            scaled = true;
            exponent = n.exponent;
        } else if (n.exponent < exponent) {
            for (std::int64_t& x : digits)
                if (!shifted(x, exponent - n.exponent, x)) return exact = false;
            exponent = n.exponent;
        }
        if (!shifted(n.digits, n.exponent - exponent, out)) return exact = false;
        return true;
    }
};

int valveOf(std::string_view line, std::size_t& listStart) {
    for (int v = 0; v < kValveCount; ++v) {
        const std::size_t pos = line.find(kValveNames[v]);
        if (pos != std::string_view::npos) {
            listStart = pos + kValveNames[v].size();
            return v;
        }
    }
    return -1;
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

// The switching times strictly inside the cycle that the valves reach before their lists
// end or they reach the cycle time, sorted, without repeats, between 0 and the cycle time;
// and where each time stands among them. Exact times on a scale fine enough for the cycle
// to span few machine words are marked in a bitmap, whose popcounts give the positions;
// others are merged and looked up.
template <typename T>
class SwitchTimes {
public:
    SwitchTimes(const std::array<std::vector<T>, kValveCount>& sums,
                const std::array<bool, kValveCount>& defined, T cycle, std::vector<T>& times)
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

    // Index of time `s` in the list, if it is there at `from` or after.
    std::optional<std::size_t> find(T s, std::size_t from) const {
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

private:
    // Calls start() before each defined valve's times and time(s) for each of them.
    template <typename Start, typename Time>
    void eachCandidate(const std::array<std::vector<T>, kValveCount>& sums,
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

    void markAll(const std::array<std::vector<T>, kValveCount>& sums,
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

    void mergeAll(const std::array<std::vector<T>, kValveCount>& sums,
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

    T cycle_;
    std::vector<T>& times_;
    std::vector<std::uint64_t> words_;
    std::vector<std::size_t> before_;
};

// The switching times and masks from each valve's running sums (T: exact scaled digits or
// doubles). Each valve changes state at the steps its sums meet, in order; a sum that is no
// step at or after the last one met (it went back, or beyond the cycle) holds the valve
// from there on.
template <typename T>
void buildSchedule(const std::array<std::vector<T>, kValveCount>& sums,
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

std::string expandValveGroups(std::string_view list) {
    std::string text(list);
    for (int pass = 0; pass < kPasses; ++pass) {
        const std::size_t p = text.rfind("*(");
        if (p == std::string::npos) break;
        const std::size_t close = text.find(')', p + 2);
        const std::size_t innerEnd = close == std::string::npos ? text.size() : close;
        std::size_t countStart = 0;
        if (p > 0) {
            const std::size_t b = text.find_last_of(",(", p - 1);
            if (b != std::string::npos) countStart = b + 1;
        }
        const std::uint64_t n =
            readCount(std::string_view(text).substr(countStart, p - countStart));
        std::size_t end = close == std::string::npos ? text.size() : close + 1;
        if (n == 0 && end < text.size()) ++end; // a group repeated 0 times goes with its comma
        std::string copies =
            repeatGroup(std::string_view(text).substr(p + 2, innerEnd - (p + 2)), n);
        text.replace(countStart, end - countStart, copies);
    }
    return text;
}

ValveProgram parseValveProgram(std::string_view text, double cycleTime) {
    ValveProgram program;
    std::array<IntervalList, kValveCount> lists;
    std::uint16_t stopMask = 0, pauseMask = 0;

    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::size_t listStart = 0;
        const int v = valveOf(line, listStart);
        if (v < 0) continue;
        const auto bit = static_cast<std::uint16_t>(1u << v);
        program.Lane[static_cast<std::size_t>(v)] = program.LaneCount++;
        program.ValveDefined[static_cast<std::size_t>(v)] = true;
        // A valve named again is defined by its later line alone.
        IntervalList& list = lists[static_cast<std::size_t>(v)];
        list = IntervalList{};
        stopMask &= static_cast<std::uint16_t>(~bit);
        pauseMask &= static_cast<std::uint16_t>(~bit);

        const std::string_view list0 = line.substr(listStart);
        std::string expandedText;
        std::string_view items = list0;
        if (list0.find("*(") != std::string_view::npos) {
            expandedText = expandValveGroups(list0);
            items = expandedText;
        }
        // Every item but the last takes at least a digit and a comma.
        const std::size_t most = std::min(items.size() / 2 + 1, kMaxValveIntervals);
        list.values.reserve(most);
        list.digits.reserve(most);
        const char* p = items.data();
        const char* const end = p + items.size();
        for (;;) {
            const char* const start = p;
            Number number;
            if (plainNumber(p, end, number)) {
                list.add(number);
            } else {
                p = std::find(p, end, ',');
                const Item item =
                    readItem(std::string_view(start, static_cast<std::size_t>(p - start)));
                switch (item.Kind) {
                case ItemKind::Number: list.add(numberOf(item.Number)); break;
                case ItemKind::Stop: stopMask |= bit; break;
                case ItemKind::Pause: pauseMask |= bit; break;
                case ItemKind::Other: break;
                }
            }
            if (p == end) break;
            ++p; // the comma
        }
    }

    // A valve without intervals reads as one interval of 0. Its list ends before the
    // first 0 after the first entry.
    std::array<bool, kValveCount> openAtStart{};
    std::array<std::size_t, kValveCount> length{};
    for (std::size_t v = 0; v < kValveCount; ++v) {
        IntervalList& list = lists[v];
        if (!program.ValveDefined[v]) continue;
        if (list.values.empty()) {
            list.values.push_back(0.0);
            list.digits.push_back(0);
        }
        openAtStart[v] = list.values[0] == 0.0;
        std::size_t n = 1;
        while (n < list.values.size() && list.values[n] != 0.0) ++n;
        length[v] = n;
    }

    // Exact when every valve's lengths and the cycle time fit one decimal scale.
    const Decimal cycle = decimalOf(cycleTime);
    bool exact = cycle.Exact && cycle.Digits <= kExactLimit && cycle.Digits >= 0;
    int scale = cycle.Exponent;
    for (std::size_t v = 0; v < kValveCount && exact; ++v) {
        if (!program.ValveDefined[v]) continue;
        exact = lists[v].exact;
        if (lists[v].scaled) scale = std::min(scale, lists[v].exponent);
    }
    std::int64_t exactCycle = 0;
    exact = exact && shifted(static_cast<std::int64_t>(cycle.Digits), cycle.Exponent - scale,
                             exactCycle);
    // Whole units of 10^scale as seconds; the common case in one division.
    const double unit = scale < 0 && scale >= -22 ? decimalToDouble(std::int64_t{1}, -scale) : 0.0;
    auto toSeconds = [&](std::int64_t units) {
        constexpr std::int64_t kExactDouble = std::int64_t{1} << 53;
        if (unit != 0.0 && units < kExactDouble && units > -kExactDouble)
            return static_cast<double>(units) / unit;
        return decimalToDouble(units, scale);
    };
    // The running sums on the common scale, in place of the lengths.
    std::array<std::vector<std::int64_t>, kValveCount> exactSums;
    for (std::size_t v = 0; v < kValveCount && exact; ++v) {
        if (!program.ValveDefined[v]) continue;
        std::vector<std::int64_t>& sums = exactSums[v];
        sums = std::move(lists[v].digits);
        sums.resize(length[v]);
        const int shift = lists[v].exponent - scale;
        std::int64_t sum = 0;
        for (std::size_t k = 0; k < length[v] && exact; ++k) {
            std::int64_t d = 0;
            exact = shifted(sums[k], shift, d);
            sums[k] = sum += d;
        }
    }

    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (!program.ValveDefined[v]) continue;
        IntervalList& list = lists[v];
        std::vector<double>& sums = program.SwitchSums[v];
        sums.resize(length[v]);
        if (exact) {
            for (std::size_t k = 0; k < length[v]; ++k) sums[k] = toSeconds(exactSums[v][k]);
        } else {
            double s = 0.0;
            for (std::size_t k = 0; k < length[v]; ++k) sums[k] = s += list.values[k];
        }
        program.ValveIntervals[v] = std::move(list.values);
    }

    ValveSchedule& schedule = program.Schedule;
    std::vector<std::uint16_t> masks;
    if (exact) {
        std::vector<std::int64_t> times;
        buildSchedule(exactSums, program.ValveDefined, openAtStart, exactCycle, times, masks);
        // Times that differ only beyond a double's precision become one step: the later
        // state holds from there on.
        schedule.SwitchTimes.reserve(times.size());
        schedule.Masks.reserve(times.size());
        for (std::size_t j = 0; j < times.size(); ++j) {
            const double t = j + 1 == times.size() ? cycleTime : toSeconds(times[j]);
            if (!schedule.SwitchTimes.empty() && schedule.SwitchTimes.back() == t) {
                schedule.Masks.back() = masks[j];
                continue;
            }
            schedule.SwitchTimes.push_back(t);
            schedule.Masks.push_back(masks[j]);
        }
    } else {
        buildSchedule(program.SwitchSums, program.ValveDefined, openAtStart, cycleTime,
                      schedule.SwitchTimes, masks);
        schedule.Masks = std::move(masks);
    }
    schedule.StopMask = stopMask;
    schedule.PauseMask = pauseMask;
    return program;
}

} // namespace varentis
