#include "measurement/PumpProgram.h"

#include "core/Decimal.h"
#include "core/NumberText.h"

namespace varentis {

PumpSchedule parsePumpProgram(std::string_view text, double cycleTime) {
    PumpSchedule p;
    p.EndTimes = {cycleTime};
    p.Speeds = {0.0};
    // The step ends add up as the decimals typed, so 0.1 and 0.2 end at 0.3.
    const Decimal cycle = decimalOf(cycleTime);
    Decimal previous;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t open = item.find('(');
        const std::size_t close =
            open == std::string_view::npos ? open : item.find(')', open + 1);
        double speed = 0.0, end = cycleTime;
        Decimal exactEnd = cycle;
        if (close != std::string_view::npos) {
            speed = readNumber(item.substr(0, open));
            const DecimalText duration = readDecimal(item.substr(open + 1, close - open - 1));
            end = duration.Value;
            exactEnd = duration.Number;
            if (p.EndTimes.size() > 1) {
                end += p.EndTimes[p.EndTimes.size() - 2];
                exactEnd = add(exactEnd, previous);
                if (exactEnd.Exact) end = decimalToDouble(exactEnd.Digits, exactEnd.Exponent);
            }
        } else {
            speed = readNumber(item);
        }
        previous = exactEnd;
        p.EndTimes.back() = end;
        p.Speeds.back() = speed;
        p.EndTimes.push_back(cycleTime);
        p.Speeds.push_back(0.0);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    p.StepCount = static_cast<int>(p.Speeds.size());
    return p;
}

} // namespace varentis
