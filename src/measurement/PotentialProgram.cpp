#include "measurement/PotentialProgram.h"

#include "core/Decimal.h"
#include "core/NumberText.h"

#include <cmath>

namespace varentis {

namespace {

// mV as typed to V; a division by the exact 1000 rounds once, a product with 0.001 twice.
double volts(std::string_view millivoltText) { return readNumber(millivoltText) / 1000.0; }

} // namespace

PotentialSchedule parsePotentialProgram(std::string_view text, double cycleTime) {
    PotentialSchedule s;
    auto appendStep = [&s, cycleTime] {
        s.EndTimes.push_back(cycleTime);
        s.Potentials.push_back(0.0);
    };
    appendStep();
    // The typed times summed as decimals: in doubles 0.1 + 0.2 ends a hair after the 0.3 s
    // the timer reads. A sum beyond what decimals hold goes on in doubles.
    Decimal exactEnd;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t open = item.find('(');
        const std::size_t close = item.find(')');
        const std::size_t last = s.EndTimes.size() - 1;
        if (open != std::string_view::npos && close != std::string_view::npos) {
            s.Potentials[last] = volts(item.substr(0, open));
            // A ")" before the "(" leaves nothing between them: a time of 0.
            const std::string_view time =
                close > open ? item.substr(open + 1, close - open - 1) : std::string_view{};
            const DecimalText length = readDecimal(time);
            double end = length.Value;
            exactEnd = last > 0 ? add(exactEnd, length.Number) : length.Number;
            if (last > 0) end += s.EndTimes[last - 1];
            s.EndTimes[last] = exactEnd.Exact ? toDouble(exactEnd) : end;
        } else {
            s.Potentials[last] = volts(item);
            s.EndTimes[last] = cycleTime;
            exactEnd = decimalNear(cycleTime);
        }
        appendStep();
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    s.StepCount = static_cast<int>(s.EndTimes.size());
    return s;
}

} // namespace varentis
