#include "core/Units.h"

namespace varentis {

namespace {
template <std::size_t N> int indexOf(const std::array<Unit, N>& table, std::string_view name) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i].name == name) return static_cast<int>(i);
    return -1;
}
} // namespace

int timeUnitIndex(std::string_view name) { return indexOf(TimeUnits, name); }
int currentUnitIndex(std::string_view name) { return indexOf(CurrentUnits, name); }

} // namespace varentis
