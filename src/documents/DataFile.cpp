#include "documents/DataFile.h"

#include "core/NumberText.h"
#include "documents/EvaluationSection.h"
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

// A program or description line that is exactly a section header would end its section
// on reading and start another; it is written with a blank after it, which keeps it
// visibly the same and makes it an ordinary line.
void appendTextLine(std::string& out, std::string_view line) {
    out.append(line);
    if (isHeader(line) || line == kEvaluationHeader) out += ' ';
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
double scaled(double value, double factor) {
    const double si = value * factor;
    return std::isfinite(si) ? si : 0.0;
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
    appendLine(head, kValvesHeader);
    for (const auto& line : controls.lines("Memo2")) appendTextLine(head, line);
    appendLine(head, kInfoHeader);
    for (const auto& line : controls.lines("Memo1")) appendTextLine(head, line);
    appendEvaluationSection(head, evaluationFromControls(controls));
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

namespace {

// The fields of one data line, as the reader of the data pass splits it: the time before
// the first tab; then with the potentiostat the signal up to the second tab and the current
// after it, without it the signal as all the rest.
struct DataLineFields {
    std::string_view time, signal, current;
};

DataLineFields splitDataLine(std::string_view line, bool withCurrents) {
    DataLineFields f;
    const std::size_t tab1 = line.find('\t');
    f.time = line.substr(0, tab1);
    if (tab1 != std::string_view::npos) {
        std::string_view rest = line.substr(tab1 + 1);
        if (withCurrents) {
            const std::size_t tab2 = rest.find('\t');
            f.signal = rest.substr(0, tab2);
            if (tab2 != std::string_view::npos) f.current = rest.substr(tab2 + 1);
        } else {
            f.signal = rest;
        }
    }
    return f;
}

bool atLineEnd(const char* p, const char* end) { return p == end || *p == '\r' || *p == '\n'; }

// True when the bytes hold neither a byte beyond ASCII nor a "[": such a data section can
// be parsed as it stands, whatever the encoding of the text before it, and no section
// header hides in it. Eight bytes at a time.
bool plainAsciiWithoutBrackets(std::string_view bytes) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u, kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kBrackets = kOnes * static_cast<unsigned char>('[');
    const char* p = bytes.data();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        const std::uint64_t x = word ^ kBrackets; // a zero byte where a "[" was
        if ((word & kHigh) | ((x - kOnes) & ~x & kHigh)) return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80 || p[i] == '[') return false;
    return true;
}

// The data pass over the bytes of the data section, straight into the store. Each line
// is read in one go where its fields are plain decimals, the common case; any other line
// is split and read field by field exactly as the rules say.
void readDataLines(std::string_view data, bool withCurrents, const ColumnFactors& factors,
                   PointStore& points) {
    const std::size_t estimate =
        static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n')) + 1;
    points.Times.reserve(estimate);
    points.Signals.reserve(estimate);
    if (withCurrents) points.Currents.reserve(estimate);

    const char* p = data.data();
    const char* const end = p + data.size();
    while (p < end) {
        const char* q = p;
        double time = 0, signal = 0, current = 0;
        bool fast = readPlainDecimal(q, end, time);
        if (fast && atLineEnd(q, end)) {
            // A time alone: no signal, no current.
        } else if (fast && *q == '\t' && readPlainDecimal(++q, end, signal)) {
            if (withCurrents && q < end && *q == '\t')
                fast = readPlainDecimal(++q, end, current) && atLineEnd(q, end);
            else
                fast = atLineEnd(q, end);
        } else {
            fast = false;
        }
        if (!fast) {
            q = p;
            while (!atLineEnd(q, end)) ++q;
            const DataLineFields f = splitDataLine(std::string_view(p, q - p), withCurrents);
            time = readNumber(f.time);
            signal = readNumber(f.signal);
            current = readNumber(f.current);
        }
        points.Times.push_back(scaled(time, factors.time));
        points.Signals.push_back(scaled(signal, factors.signal));
        if (withCurrents) points.Currents.push_back(scaled(current, factors.current));
        // A line ends at CR, LF or CRLF.
        if (q < end && *q++ == '\r' && q < end && *q == '\n') ++q;
        p = q;
    }
}

} // namespace

DataFileReadResult readDataFile(std::string_view bytes, ControlAccess& controls,
                                PointStore& points, DataFileReadHooks& hooks) {
    DataFileReadResult result;
    // Only the text before the data section is decoded; the data lines are ASCII in either
    // encoding and are parsed where they stand. A data section with other bytes, or with
    // a "[" that might be a header, takes the whole file through the decoder instead, so
    // such a file reads exactly as before.
    const std::size_t rawDataStart = bodyStart(bytes, kDataHeader);
    const bool dataApart = rawDataStart != std::string_view::npos &&
                           plainAsciiWithoutBrackets(bytes.substr(rawDataStart));
    const std::string_view head = dataApart ? bytes.substr(0, rawDataStart) : bytes;
    std::string decoded;
    std::string_view text = head;
    if (isValidUtf8(head)) {
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    } else {
        decoded = decodeFileText(head);
        text = decoded;
    }

    // Setup pass: it comes first, because the data pass takes its column count and unit
    // factors from the settings just loaded.
    for (std::string_view line : bodyLines(text, kSetupHeader, result.setupFound))
        applySetupLine(line, controls);
    hooks.applyPeriod();

    std::vector<std::string_view> info = bodyLines(text, kInfoHeader, result.infoFound);
    EvaluationSettings evaluation;
    result.evaluationFound = takeEvaluationSection(info, evaluation);
    controls.setLines("Memo1", toStrings(info));
    if (result.evaluationFound) evaluationToControls(controls, evaluation);
    controls.setLines("Memo2", toStrings(bodyLines(text, kValvesHeader, result.valvesFound)));

    // Data pass: every line after "[Data]" to the end of the file is a point.
    const bool withCurrents = controls.checked(kUsingPotentiostat);
    const ColumnFactors factors = hooks.recomputeScaling();
    points.clear();
    std::string_view data;
    if (dataApart) {
        result.dataFound = true;
        data = bytes.substr(rawDataStart);
    } else if (const std::size_t start = bodyStart(text, kDataHeader);
               start != std::string_view::npos) {
        result.dataFound = true;
        data = text.substr(start);
    }
    readDataLines(data, withCurrents, factors, points);
    if (!withCurrents) points.Currents.clear();
    const auto n = points.Times.size();
    // A file with lone CR line ends was counted short and grew geometrically.
    if (points.Times.capacity() > n + n / 8 + 16) points.compact();
    points.Count = static_cast<int>(n);
    // Capacity grows from 100 in steps of 100 as the lines are read.
    points.Capacity = static_cast<int>((n / 100 + 1) * 100);
    points.CurrentsLength = withCurrents ? points.Capacity : 0;
    return result;
}

} // namespace varentis
