#pragma once

#include <array>
#include <string_view>

// The unit tables of the program: the index is the item index of the unit combo box.
namespace varentis {

struct Unit {
    std::string_view name;
    double factor; // to the base unit (s or A)
};

inline constexpr std::array<Unit, 3> TimeUnits{{{"s", 1.0}, {"min", 60.0}, {"h", 3600.0}}};
inline constexpr std::array<Unit, 5> CurrentUnits{
    {{"pA", 1e-12}, {"nA", 1e-9}, {"uA", 1e-6}, {"mA", 0.001}, {"A", 1.0}}};
inline constexpr std::array<Unit, 2> PeriodUnits{{{"ms", 0.001}, {"s", 1.0}}};

// Potentials are typed in mV and held in V.
inline constexpr double PotentialUnitFactor = 0.001;

// Factor of the unit at `index`, or the factor of `fallback` when the index is outside
// the table (a combo box with no selection reports -1).
template <std::size_t N>
constexpr double unitFactor(const std::array<Unit, N>& table, int index, int fallback) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) index = fallback;
    return table[static_cast<std::size_t>(index)].factor;
}

// Index of the unit named `name` (exact match), or -1.
int timeUnitIndex(std::string_view name);
int currentUnitIndex(std::string_view name);

} // namespace varentis
