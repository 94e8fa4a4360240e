#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varentis {

struct IntervalList;

// Reading the valve program's text, line by line: which valve a line names and what its
// list says. The schedule is made from what these give (ValveProgram.cpp).

// The valve a line names, 0 for V1, and where its list starts after the name; -1 when the
// line names none.
int valveOf(std::string_view line, std::size_t& listStart);

// What a valve's list says besides its intervals.
struct ValveListFlags {
    bool Stop = false;  // "SA": open while stopped
    bool Pause = false; // "PA": open while paused
};

// Reads the list after a valve's name into `intervals`, repetition groups expanded;
// unreadable items are skipped.
ValveListFlags readValveList(std::string_view list, IntervalList& intervals);

// The text after a valve's name with its repetition groups expanded, as the parser reads
// it: up to ten groups, the innermost first. An expansion stops copying numbers once they
// could no longer reach the valve's 5000 intervals (or after 50000 numbers), keeping any
// "SA" and "PA" it drops.
std::string expandValveGroups(std::string_view list);

} // namespace varentis
