#include "documents/DataFile.h"

#include "core/NumberText.h"
#include "documents/ProfileStore.h"
#include "documents/TextEncoding.h"
#include "documents/TextLines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varentis {

namespace {

enum class LineKind { Text, Unit, Flag, Index };

struct SetupLine {
    std::string_view key; // with the "="
    LineKind kind;
    std::string_view control;
};

// The 29 setup lines, in the order they are written.
constexpr SetupLine kSetup[] = {
    {"Period=", LineKind::Text, "Edit6"},
    {"Period units=", LineKind::Unit, "ComboBox3"},
    {"Damping=", LineKind::Text, "Edit7"},
    {"Damping units=", LineKind::Unit, "ComboBox4"},
    {"Zero=", LineKind::Text, "Edit8"},
    {"Cycle time=", LineKind::Text, "Edit10"},
    {"PMT voltage=", LineKind::Text, "Edit9"},
    {"Y min=", LineKind::Text, "Edit2"},
    {"Y max=", LineKind::Text, "Edit3"},
    {"Y units=", LineKind::Unit, "ComboBox1"},
    {"X min=", LineKind::Text, "Edit4"},
    {"X max=", LineKind::Text, "Edit5"},
    {"X units=", LineKind::Unit, "ComboBox2"},
    {"Potential=", LineKind::Text, "PotentialEdit"},
    {"Using potentiostat=", LineKind::Flag, "UsingPotentiostat"},
    {"Show potential=", LineKind::Flag, "ShowPotential"},
    {"Draw current=", LineKind::Flag, "DrawCurrent"},
    {"Potential Min=", LineKind::Text, "TPotential.PMin"},
    {"Potential Max=", LineKind::Text, "TPotential.PMax"},
    {"Current Min=", LineKind::Text, "TPotential.CMin"},
    {"Current Max=", LineKind::Text, "TPotential.CMax"},
    {"Current units=", LineKind::Unit, "TPotential.CUnits"},
    {"Electrodes=", LineKind::Index, "TPotential.Electrodes"},
    {"Electrodes off=", LineKind::Flag, "TPotential.ElectrodesOff"},
    {"Using pump=", LineKind::Flag, "UsingPump"},
    {"Show pump=", LineKind::Flag, "ShowPump"},
    {"Pump=", LineKind::Text, "PumpEdit"},
    {"Using valves=", LineKind::Flag, "UsingValves"},
    {"Show valves=", LineKind::Flag, "ShowValves"},
};

constexpr std::string_view kSetupHeader = "[Setup]";
constexpr std::string_view kValvesHeader = "[Valves]";
constexpr std::string_view kInfoHeader = "[Info]";
constexpr std::string_view kDataHeader = "[Data]";
constexpr std::string_view kUsingPotentiostat = "UsingPotentiostat";

// A section ends only at a line that is exactly one of the four headers, so description
// and program lines that contain "[" come back whole.
bool isHeader(std::string_view line) {
    return line == kSetupHeader || line == kValvesHeader || line == kInfoHeader ||
           line == kDataHeader;
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

// The position just after the line ending of the first line equal to `header`, or npos.
std::size_t bodyStart(std::string_view text, std::string_view header) {
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = text.find_first_of("\r\n", start);
        std::size_t next = end == std::string_view::npos ? n : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && next < n && text[next] == '\n')
            ++next;
        if (text.substr(start, (end == std::string_view::npos ? n : end) - start) == header)
            return next;
        start = next;
    }
    return std::string_view::npos;
}

// The lines of a section's body, up to the next header line.
std::vector<std::string_view> bodyLines(std::string_view text, std::string_view header,
                                        bool& found) {
    std::vector<std::string_view> lines;
    std::size_t start = bodyStart(text, header);
    found = start != std::string_view::npos;
    if (!found) return lines;
    forEachLine(text.substr(start), [&](std::string_view line) {
        if (isHeader(line)) return false;
        lines.push_back(line);
        return true;
    });
    return lines;
}

void applySetupLine(std::string_view line, ControlAccess& controls) {
    for (const SetupLine& s : kSetup) {
        // A key counts only at the start of its line: a program text that happens to hold
        // "Zero=" must not change the zero line.
        if (!line.starts_with(s.key)) continue;
        std::string_view value = line.substr(s.key.size());
        switch (s.kind) {
        case LineKind::Text:
            controls.setText(s.control, std::string(value));
            break;
        case LineKind::Unit:
            controls.selectItemByText(s.control, value);
            break;
        case LineKind::Flag:
            if (value.starts_with("true"))
                controls.setChecked(s.control, true);
            else if (value.starts_with("false"))
                controls.setChecked(s.control, false);
            break;
        case LineKind::Index:
            if (auto v = ProfileStore::parseInteger(value); v && *v >= -1 && *v <= 1)
                controls.setItemIndex(s.control, *v);
            break;
        }
        break; // no key is a prefix of another
    }
    controls.setText("Label11", controls.itemText("ComboBox1"));
}

// A number of the data section in SI units. One that a unit factor takes beyond any double
// (1e306 h) reads as 0, as an unreadable number does: an infinite time or signal has no
// place on the graph.
double scaled(std::string_view field, double factor) {
    const double value = readNumber(field) * factor;
    return std::isfinite(value) ? value : 0.0;
}

std::vector<std::string> toStrings(const std::vector<std::string_view>& lines) {
    return {lines.begin(), lines.end()};
}

} // namespace

int timeColumnDecimals(int XDecimals, double periodSeconds, double timeUnitFactor) {
    constexpr int kMaxDecimals = 15;
    int d = std::max(XDecimals, 0);
    if (!(periodSeconds > 0) || !(timeUnitFactor > 0) || !std::isfinite(periodSeconds))
        return d;
    const double step = periodSeconds / timeUnitFactor; // one period in axis units
    for (; d < kMaxDecimals; ++d) {
        const double scaled = step * std::pow(10.0, d);
        // A step that prints as 0 is not whole, however close to 0 it is.
        const double whole = std::nearbyint(scaled);
        if (whole >= 1 && std::abs(scaled - whole) <= 1e-9) break;
        if (std::pow(10.0, -d) <= step / 100) break;
    }
    return std::max(d, XDecimals);
}

std::string dataFileHead(const ControlAccess& controls) {
    std::string head;
    appendLine(head, kSetupHeader);
    for (const SetupLine& s : kSetup) {
        std::string line(s.key);
        switch (s.kind) {
        case LineKind::Text:
            line += controls.text(s.control);
            break;
        case LineKind::Unit:
            line += controls.itemText(s.control);
            break;
        case LineKind::Flag:
            line += controls.checked(s.control) ? "true" : "false";
            break;
        case LineKind::Index:
            line += std::to_string(controls.itemIndex(s.control));
            break;
        }
        appendLine(head, line);
    }
    // A program or description line that is exactly a section header would end its section
    // when the file is read, and what follows would be lost or taken for points: it is
    // written with a blank after it, which the reader keeps and the programs ignore.
    auto appendBodyLine = [&head](const std::string& line) {
        appendLine(head, isHeader(line) ? line + " " : line);
    };
    appendLine(head, kValvesHeader);
    for (const auto& line : controls.lines("Memo2")) appendBodyLine(line);
    appendLine(head, kInfoHeader);
    for (const auto& line : controls.lines("Memo1")) appendBodyLine(line);
    appendLine(head, kDataHeader);
    // The data lines are ASCII, the same bytes in either encoding.
    return encodeFileText(head);
}

DataLineFormat dataLineFormat(const ControlAccess& controls, const DataColumns& columns) {
    DataLineFormat f;
    f.factors = columns.factors;
    f.timeDecimals =
        timeColumnDecimals(columns.XDecimals, columns.periodSeconds, columns.factors.time);
    f.YDecimals = columns.YDecimals;
    f.CurrentDecimals = columns.CurrentDecimals;
    f.withCurrents = controls.checked(kUsingPotentiostat);
    return f;
}

void appendDataLines(std::string& out, const PointStore& points, std::size_t from,
                     std::size_t to, const DataLineFormat& format) {
    to = std::min({to, static_cast<std::size_t>(std::max(points.Count, 0)), points.Times.size(),
                   points.Signals.size()});
    if (from >= to) return;
    out.reserve(out.size() + (to - from) * (format.withCurrents ? 40 : 28));
    for (std::size_t i = from; i < to; ++i) {
        appendText(out, points.Times[i] / format.factors.time, format.timeDecimals);
        out += '\t';
        appendText(out, points.Signals[i] / format.factors.signal, format.YDecimals);
        if (format.withCurrents) {
            out += '\t';
            appendText(out, points.currentAt(static_cast<int>(i)) / format.factors.current,
                       format.CurrentDecimals);
        }
        out += "\r\n";
    }
}

std::string writeDataFile(const ControlAccess& controls, const PointStore& points,
                          const DataColumns& columns) {
    std::string out = dataFileHead(controls);
    appendDataLines(out, points, 0, static_cast<std::size_t>(std::max(points.Count, 0)),
                    dataLineFormat(controls, columns));
    return out;
}

std::size_t dataLineCount(std::string_view bytes) {
    const std::size_t start = bodyStart(bytes, kDataHeader);
    if (start == std::string_view::npos) return 0;
    std::size_t n = 0;
    forEachLine(bytes.substr(start), [&n](std::string_view) { ++n; });
    return n;
}

DataFileReadResult readDataFile(std::string_view bytes, ControlAccess& controls,
                                PointStore& points, DataFileReadHooks& hooks) {
    DataFileReadResult result;
    std::string decoded;
    std::string_view text = bytes;
    if (isValidUtf8(bytes)) {
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    } else {
        decoded = decodeFileText(bytes);
        text = decoded;
    }

    // Setup pass: it comes first, because the data pass takes its column count and unit
    // factors from the settings just loaded.
    for (std::string_view line : bodyLines(text, kSetupHeader, result.setupFound))
        applySetupLine(line, controls);
    hooks.applyPeriod();

    controls.setLines("Memo1", toStrings(bodyLines(text, kInfoHeader, result.infoFound)));
    controls.setLines("Memo2", toStrings(bodyLines(text, kValvesHeader, result.valvesFound)));

    // Data pass: every line after "[Data]" to the end of the file is a point.
    const bool withCurrents = controls.checked(kUsingPotentiostat);
    const ColumnFactors factors = hooks.recomputeScaling();
    std::vector<double> times, signals, currents;
    const std::size_t start = bodyStart(text, kDataHeader);
    result.dataFound = start != std::string_view::npos;
    if (result.dataFound) {
        std::string_view data = text.substr(start);
        // A line is at least its line ending; a rough count keeps regrowth rare.
        const std::size_t estimate = data.size() / 16 + 1;
        times.reserve(estimate);
        signals.reserve(estimate);
        if (withCurrents) currents.reserve(estimate);
        forEachLine(data, [&](std::string_view line) {
            const std::size_t tab1 = line.find('\t');
            std::string_view timeField = line.substr(0, tab1);
            std::string_view signalField, currentField;
            if (tab1 != std::string_view::npos) {
                std::string_view rest = line.substr(tab1 + 1);
                if (withCurrents) {
                    const std::size_t tab2 = rest.find('\t');
                    signalField = rest.substr(0, tab2);
                    if (tab2 != std::string_view::npos) currentField = rest.substr(tab2 + 1);
                } else {
                    signalField = rest;
                }
            }
            times.push_back(scaled(timeField, factors.time));
            signals.push_back(scaled(signalField, factors.signal));
            if (withCurrents) currents.push_back(scaled(currentField, factors.current));
        });
    }
    const std::size_t n = times.size();
    points.assign(std::move(times), std::move(signals), std::move(currents));
    points.compact();
    // Capacity grows from 100 in steps of 100 as the lines are read.
    points.Capacity = static_cast<int>((n / 100 + 1) * 100);
    points.CurrentsLength = withCurrents ? points.Capacity : 0;
    return result;
}

} // namespace varentis
