#include "measurement/ValveProgram.h"

#include "core/Decimal.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

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

// The intervals of one valve as its list is read: a 0 after the first entry adds the next
// number into the previous interval; numbers beyond 5000 intervals are ignored.
struct IntervalList {
    std::vector<double> values;
    std::vector<Decimal> exact;
    std::size_t formed = 0; // intervals the list formed, also those beyond 5000
    bool pending = false;

    void add(const DecimalText& n) {
        if (formed == 0) {
            push(n);
        } else if (n.Value == 0.0) {
            pending = true;
        } else if (pending) {
            pending = false;
            if (formed <= kMaxValveIntervals) {
                values.back() += n.Value;
                exact.back() = varentis::add(exact.back(), n.Number);
            }
        } else {
            push(n);
        }
    }
    void push(const DecimalText& n) {
        if (++formed > kMaxValveIntervals) return;
        values.push_back(n.Value);
        exact.push_back(n.Number);
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

// Merges sorted runs into one sorted run without repeats.
template <typename T>
std::vector<T> mergeRuns(std::vector<std::vector<T>>& runs) {
    while (runs.size() > 1) {
        std::vector<std::vector<T>> next;
        for (std::size_t i = 0; i + 1 < runs.size(); i += 2) {
            std::vector<T> merged;
            merged.reserve(runs[i].size() + runs[i + 1].size());
            std::merge(runs[i].begin(), runs[i].end(), runs[i + 1].begin(), runs[i + 1].end(),
                       std::back_inserter(merged));
            next.push_back(std::move(merged));
        }
        if (runs.size() % 2) next.push_back(std::move(runs.back()));
        runs = std::move(next);
    }
    std::vector<T> out = runs.empty() ? std::vector<T>{} : std::move(runs.front());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// The switching times and masks from each valve's running sums (T: exact scaled digits or
// doubles). Every time strictly inside the cycle that a valve reaches before its list ends
// or it reaches the cycle time becomes a step; each valve then changes state at the steps
// its sums meet, in order.
template <typename T>
void buildSchedule(const std::array<std::vector<T>, kValveCount>& sums,
                   const std::array<bool, kValveCount>& defined,
                   const std::array<bool, kValveCount>& openAtStart, T cycle,
                   std::vector<T>& times, std::vector<std::uint16_t>& masks) {
    std::vector<std::vector<T>> runs;
    for (int v = 0; v < kValveCount; ++v) {
        if (!defined[v]) continue;
        std::vector<T> run;
        run.reserve(sums[v].size());
        for (const T& s : sums[v]) {
            if (s == cycle) break;
            if (s > T(0) && s < cycle) run.push_back(s);
        }
        if (!std::is_sorted(run.begin(), run.end())) std::sort(run.begin(), run.end());
        runs.push_back(std::move(run));
    }
    std::vector<T> inner = mergeRuns(runs);
    times.clear();
    times.reserve(inner.size() + 2);
    times.push_back(T(0));
    times.insert(times.end(), inner.begin(), inner.end());
    times.push_back(cycle);

    const std::size_t steps = times.size();
    masks.assign(steps, 0);
    std::vector<std::uint16_t> toggles(steps, 0);
    for (int v = 0; v < kValveCount; ++v) {
        if (!defined[v]) continue;
        const auto bit = static_cast<std::uint16_t>(1u << v);
        std::size_t k = 0;
        if (openAtStart[v]) {
            masks[0] |= bit;
            k = 1;
        }
        std::size_t j = 1;
        for (; k < sums[v].size(); ++k) {
            const T& s = sums[v][k];
            while (j < steps && times[j] < s) ++j;
            if (j >= steps || !(times[j] == s)) break; // a time never met again holds the valve
            toggles[j] ^= bit;
            ++j;
        }
    }
    for (std::size_t j = 1; j < steps; ++j) masks[j] = masks[j - 1] ^ toggles[j];
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
        const std::uint64_t n = readCount(std::string_view(text).substr(countStart, p - countStart));
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

        const std::string expanded = expandValveGroups(line.substr(listStart));
        forEachItem(expanded, [&](std::string_view itemText) {
            const Item item = readItem(itemText);
            switch (item.Kind) {
            case ItemKind::Number: list.add(item.Number); break;
            case ItemKind::Stop: stopMask |= bit; break;
            case ItemKind::Pause: pauseMask |= bit; break;
            case ItemKind::Other: break;
            }
        });
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
            list.exact.push_back(Decimal{});
        }
        openAtStart[v] = list.values[0] == 0.0;
        std::size_t n = 1;
        while (n < list.values.size() && list.values[n] != 0.0) ++n;
        length[v] = n;
    }

    // Exact when every interval and the cycle time are decimals that fit one scale.
    const Decimal cycle = decimalOf(cycleTime);
    bool exact = cycle.Exact;
    int scale = cycle.Exponent;
    for (std::size_t v = 0; v < kValveCount && exact; ++v)
        for (std::size_t k = 0; k < length[v] && exact; ++k) {
            const Decimal& d = lists[v].exact[k];
            exact = d.Exact;
            if (d.Digits != 0) scale = std::min(scale, d.Exponent);
        }
    std::array<std::vector<Int128>, kValveCount> exactSums;
    Int128 exactCycle = 0;
    exact = exact && scaledDigits(cycle, scale, exactCycle);
    for (std::size_t v = 0; v < kValveCount && exact; ++v) {
        Int128 sum = 0;
        for (std::size_t k = 0; k < length[v] && exact; ++k) {
            Int128 d = 0;
            exact = scaledDigits(lists[v].exact[k], scale, d);
            sum += d;
            exactSums[v].push_back(sum);
        }
    }

    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (!program.ValveDefined[v]) continue;
        const IntervalList& list = lists[v];
        std::vector<double>& intervals = program.ValveIntervals[v];
        std::vector<double>& sums = program.SwitchSums[v];
        sums.reserve(length[v]);
        if (exact) {
            intervals.reserve(list.values.size());
            for (std::size_t k = 0; k < list.values.size(); ++k) {
                const Decimal& d = list.exact[k];
                intervals.push_back(d.Exact ? decimalToDouble(d.Digits, d.Exponent)
                                            : list.values[k]);
            }
            for (const Int128& s : exactSums[v]) sums.push_back(decimalToDouble(s, scale));
        } else {
            intervals = list.values;
            double s = 0.0;
            for (std::size_t k = 0; k < length[v]; ++k) sums.push_back(s += list.values[k]);
        }
    }

    ValveSchedule& schedule = program.Schedule;
    std::vector<std::uint16_t> masks;
    if (exact) {
        std::vector<Int128> times;
        buildSchedule(exactSums, program.ValveDefined, openAtStart, exactCycle, times, masks);
        // Times that differ only beyond a double's precision become one step: the later
        // state holds from there on.
        schedule.SwitchTimes.reserve(times.size());
        schedule.Masks.reserve(times.size());
        for (std::size_t j = 0; j < times.size(); ++j) {
            const double t = j + 1 == times.size() ? cycleTime : decimalToDouble(times[j], scale);
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
