#include "documents/DataText.h"

#include "core/NumberText.h"

#include <algorithm>
#include <charconv>

namespace varentis {

std::string dataText(const PointStore& points, const DataTextColumns& columns) {
    const std::size_t count = std::min({static_cast<std::size_t>(std::max(points.Count, 0)),
                                        points.Times.size(), points.Signals.size()});
    if (count == 0)
        return "No data";
    std::string out =
        "Point nr\tTime [" + columns.timeUnit + "]\tSignal [" + columns.signalUnit + "]";
    // Numbers of a few digits each: one allocation for the whole text.
    out.reserve(out.size() + count * 32);
    char number[16];
    for (std::size_t i = 0; i < count; ++i) {
        out += '\n';
        const auto written = std::to_chars(number, number + sizeof number, i);
        out.append(number, written.ptr);
        out += '\t';
        appendText(out, points.Times[i] / columns.timeUnitFactor, columns.timeDecimals);
        out += '\t';
        appendText(out, points.Signals[i] / columns.signalUnitFactor, columns.signalDecimals);
    }
    return out;
}

} // namespace varentis
