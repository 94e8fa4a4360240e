#include "measurement/ValveProgram.h"

#include "core/Decimal.h"
#include "measurement/IntervalList.h"
#include "measurement/SwitchTimes.h"
#include "measurement/ValveProgramText.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace varentis {

namespace {

// What the lines of the text say, valve by valve.
struct ValveLines {
    std::array<IntervalList, kValveCount> Lists;
    std::uint16_t StopMask = 0, PauseMask = 0;
};

void readLine(std::string_view line, ValveProgram& program, ValveLines& read) {
    std::size_t listStart = 0;
    const int v = valveOf(line, listStart);
    if (v < 0) return;
    const auto bit = static_cast<std::uint16_t>(1u << v);
    program.Lane[static_cast<std::size_t>(v)] = program.LaneCount++;
    program.ValveDefined[static_cast<std::size_t>(v)] = true;
    // A valve named again is defined by its later line alone.
    IntervalList& list = read.Lists[static_cast<std::size_t>(v)];
    list = IntervalList{};
    read.StopMask &= static_cast<std::uint16_t>(~bit);
    read.PauseMask &= static_cast<std::uint16_t>(~bit);
    const ValveListFlags flags = readValveList(line.substr(listStart), list);
    if (flags.Stop) read.StopMask |= bit;
    if (flags.Pause) read.PauseMask |= bit;
}

void readLines(std::string_view text, ValveProgram& program, ValveLines& read) {
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        readLine(line, program, read);
    }
}

// Where each defined valve's list ends and whether it opens at the start of the cycle.
struct ListEnds {
    std::array<bool, kValveCount> OpenAtStart{};
    std::array<std::size_t, kValveCount> Length{};
};

// A valve without intervals reads as one interval of 0. Its list ends before the first 0
// after the first entry.
ListEnds endLists(const ValveProgram& program, std::array<IntervalList, kValveCount>& lists) {
    ListEnds ends;
    for (std::size_t v = 0; v < kValveCount; ++v) {
        IntervalList& list = lists[v];
        if (!program.ValveDefined[v]) continue;
        if (list.values.empty()) {
            list.values.push_back(0.0);
            list.digits.push_back(0);
        }
        ends.OpenAtStart[v] = list.values[0] == 0.0;
        std::size_t n = 1;
        while (n < list.values.size() && list.values[n] != 0.0) ++n;
        ends.Length[v] = n;
    }
    return ends;
}

// The one decimal scale that the cycle time and every valve's lengths fit, if there is one:
// whole units of 10^Scale.
struct CommonScale {
    bool Exact = false;
    int Scale = 0;
    std::int64_t Cycle = 0; // the cycle time in units
    double Unit = 0.0;      // units per second when one division gives the seconds, or 0

    double toSeconds(std::int64_t units) const {
        constexpr std::int64_t kExactDouble = std::int64_t{1} << 53;
        if (Unit != 0.0 && units < kExactDouble && units > -kExactDouble)
            return static_cast<double>(units) / Unit;
        return decimalToDouble(units, Scale);
    }
};

CommonScale commonScale(double cycleTime, const ValveProgram& program,
                        const std::array<IntervalList, kValveCount>& lists) {
    const Decimal cycle = decimalOf(cycleTime);
    CommonScale common;
    bool exact = cycle.Exact && cycle.Digits <= kExactIntervalLimit && cycle.Digits >= 0;
    int scale = cycle.Exponent;
    for (std::size_t v = 0; v < kValveCount && exact; ++v) {
        if (!program.ValveDefined[v]) continue;
        exact = lists[v].exact;
        if (lists[v].scaled) scale = std::min(scale, lists[v].exponent);
    }
    common.Exact = exact && shiftedWithinLimit(static_cast<std::int64_t>(cycle.Digits),
                                               cycle.Exponent - scale, common.Cycle);
    common.Scale = scale;
    // The common case in one division.
    common.Unit = scale < 0 && scale >= -22 ? decimalToDouble(std::int64_t{1}, -scale) : 0.0;
    return common;
}

// The running sums on the common scale, in place of the exact lengths; false when one of
// them leaves it.
bool exactRunningSums(const ValveProgram& program, std::array<IntervalList, kValveCount>& lists,
                      const ListEnds& ends, int scale,
                      std::array<std::vector<std::int64_t>, kValveCount>& exactSums) {
    bool exact = true;
    for (std::size_t v = 0; v < kValveCount && exact; ++v) {
        if (!program.ValveDefined[v]) continue;
        std::vector<std::int64_t>& sums = exactSums[v];
        sums = std::move(lists[v].digits);
        sums.resize(ends.Length[v]);
        const int shift = lists[v].exponent - scale;
        std::int64_t sum = 0;
        for (std::size_t k = 0; k < ends.Length[v] && exact; ++k) {
            std::int64_t d = 0;
            exact = shiftedWithinLimit(sums[k], shift, d);
            sums[k] = sum += d;
        }
    }
    return exact;
}

// Each valve's switching times in seconds: the exact sums when there are any, else the
// doubles added up; its intervals move into the program.
void storeSwitchSums(ValveProgram& program, std::array<IntervalList, kValveCount>& lists,
                     const ListEnds& ends, const CommonScale& common,
                     const std::array<std::vector<std::int64_t>, kValveCount>* exactSums) {
    for (std::size_t v = 0; v < kValveCount; ++v) {
        if (!program.ValveDefined[v]) continue;
        IntervalList& list = lists[v];
        std::vector<double>& sums = program.SwitchSums[v];
        const std::size_t length = ends.Length[v];
        sums.resize(length);
        if (exactSums) {
            for (std::size_t k = 0; k < length; ++k) sums[k] = common.toSeconds((*exactSums)[v][k]);
        } else {
            double s = 0.0;
            for (std::size_t k = 0; k < length; ++k) sums[k] = s += list.values[k];
        }
        program.ValveIntervals[v] = std::move(list.values);
    }
}

void exactSchedule(const std::array<std::vector<std::int64_t>, kValveCount>& exactSums,
                   const ValveProgram& program, const ListEnds& ends,
                   const CommonScale& common, double cycleTime, ValveSchedule& schedule) {
    std::vector<std::int64_t> times;
    std::vector<std::uint16_t> masks;
    buildSchedule(exactSums, program.ValveDefined, ends.OpenAtStart, common.Cycle, times,
                  masks);
    // Times that differ only beyond a double's precision become one step: the later state
    // holds from there on.
    schedule.SwitchTimes.reserve(times.size());
    schedule.Masks.reserve(times.size());
    for (std::size_t j = 0; j < times.size(); ++j) {
        const double t = j + 1 == times.size() ? cycleTime : common.toSeconds(times[j]);
        if (!schedule.SwitchTimes.empty() && schedule.SwitchTimes.back() == t) {
            schedule.Masks.back() = masks[j];
            continue;
        }
        schedule.SwitchTimes.push_back(t);
        schedule.Masks.push_back(masks[j]);
    }
}

} // namespace

ValveProgram parseValveProgram(std::string_view text, double cycleTime) {
    ValveProgram program;
    ValveLines read;
    readLines(text, program, read);
    const ListEnds ends = endLists(program, read.Lists);

    const CommonScale common = commonScale(cycleTime, program, read.Lists);
    std::array<std::vector<std::int64_t>, kValveCount> exactSums;
    const bool exact =
        common.Exact && exactRunningSums(program, read.Lists, ends, common.Scale, exactSums);
    storeSwitchSums(program, read.Lists, ends, common, exact ? &exactSums : nullptr);

    ValveSchedule& schedule = program.Schedule;
    if (exact) {
        exactSchedule(exactSums, program, ends, common, cycleTime, schedule);
    } else {
        buildSchedule(program.SwitchSums, program.ValveDefined, ends.OpenAtStart, cycleTime,
                      schedule.SwitchTimes, schedule.Masks);
    }
    schedule.StopMask = read.StopMask;
    schedule.PauseMask = read.PauseMask;
    return program;
}

} // namespace varentis
