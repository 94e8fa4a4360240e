#include "fuzz/FuzzChecks.h"

#include "core/NumberText.h"
#include "core/Units.h"
#include "documents/DataFile.h"
#include "documents/FakeControls.h"
#include "documents/ProfileStore.h"
#include "documents/SettingsFile.h"
#include "documents/TextEncoding.h"
#include "documents/TextLines.h"
#include "graph/AxisScaling.h"
#include "measurement/PotentialProgram.h"
#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace varentis::fuzz {

namespace {

// The axis scaling the window computes from the controls, for a plot of a usual size.
GraphScale scaleOf(const ControlAccess& c) {
    ScaleSettings s;
    s.XMin = c.text("Edit4");
    s.XMax = c.text("Edit5");
    s.XUnits = c.itemIndex("ComboBox2");
    s.YMin = c.text("Edit2");
    s.YMax = c.text("Edit3");
    s.YUnits = c.itemIndex("ComboBox1");
    s.Zero = c.text("Edit8");
    s.PotentialMin = c.text("TPotential.PMin");
    s.PotentialMax = c.text("TPotential.PMax");
    s.CurrentMin = c.text("TPotential.CMin");
    s.CurrentMax = c.text("TPotential.CMax");
    s.CurrentUnits = c.itemIndex("TPotential.CUnits");
    return XYFactors(s, 600, 400, GraphScale{}).Scale;
}

// What Save writes with: the scaling's factors and decimals, the period in force.
DataColumns columnsOf(const ControlAccess& c) {
    const GraphScale scale = scaleOf(c);
    DataColumns columns;
    columns.factors = {scale.XUnitFactor, scale.YUnitFactor, scale.CurUnitFactor};
    columns.XDecimals = scale.XDecimals;
    columns.YDecimals = scale.YDecimals;
    columns.CurrentDecimals = scale.CurrentDecimals;
    double period = readNumber(c.text("Edit6")) * unitFactor(PeriodUnits, c.itemIndex("ComboBox3"), 0);
    columns.periodSeconds = period > 0.0 ? period : 1.0;
    return columns;
}

struct WindowHooks : DataFileReadHooks {
    explicit WindowHooks(const ControlAccess& c) : controls(c) {}
    void applyPeriod() override {}
    ColumnFactors recomputeScaling() override {
        const GraphScale s = scaleOf(controls);
        return {s.XUnitFactor, s.YUnitFactor, s.CurUnitFactor};
    }
    const ControlAccess& controls;
};

struct Opened {
    FakeControls controls = defaultControls();
    PointStore points;
};

void open(std::string_view bytes, Opened& o) {
    WindowHooks hooks(o.controls);
    readDataFile(bytes, o.controls, o.points, hooks);
}

std::string shown(const std::string& s) { return "\"" + s.substr(0, 200) + "\""; }
std::string shown(int i) { return std::to_string(i); }
std::string shown(bool b) { return b ? "true" : "false"; }
std::string shown(const std::vector<std::string>& lines) {
    std::string out = "{";
    for (const auto& l : lines) out += shown(l) + ",";
    return out + "}";
}

// Label11 is no setting: the window shows the signal unit there after every Open.
bool isSetting(const std::string& control) { return control != "Label11"; }

template <class Map> std::string firstDifference(const Map& a, const Map& b, const char* what) {
    for (const auto& [key, value] : a) {
        if (!isSetting(key)) continue;
        auto it = b.find(key);
        if (it == b.end()) return std::string(what) + " " + key + ": missing";
        if (!(it->second == value))
            return std::string(what) + " " + key + ": " + shown(value) + " became " + shown(it->second);
    }
    for (const auto& [key, value] : b)
        if (isSetting(key) && a.find(key) == a.end()) return std::string(what) + " " + key + ": new";
    return {};
}

std::string differentControls(const FakeControls& a, const FakeControls& b) {
    for (std::string d : {firstDifference(a.texts, b.texts, "text of"),
                          firstDifference(a.indexes, b.indexes, "selection of"),
                          firstDifference(a.checks, b.checks, "check of"),
                          firstDifference(a.memos, b.memos, "lines of")})
        if (!d.empty()) return d;
    return {};
}

std::string storeShape(const PointStore& p) {
    const auto count = static_cast<std::size_t>(p.Count);
    if (p.Count < 0 || p.Times.size() != count || p.Signals.size() != count)
        return "the point arrays do not hold Count points";
    if (!p.Currents.empty() && p.Currents.size() != count) return "currents for some points only";
    if (p.Capacity <= p.Count) return "Capacity not above Count";
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(p.Times[i]) || !std::isfinite(p.Signals[i]) ||
            !std::isfinite(p.currentAt(static_cast<int>(i))))
            return "point " + std::to_string(i) + " is not a finite number";
    return {};
}

// Within rounding to `decimals` places of a column in units of `factor`.
bool sameToDecimals(double a, double b, int decimals, double factor) {
    const double half = 0.5 * std::pow(10.0, -decimals) * factor;
    const double slack = 8 * std::numeric_limits<double>::epsilon() * std::max(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= half * (1 + 1e-9) + slack;
}

int significantDigits(std::string_view number) {
    int n = 0;
    bool leading = true;
    for (char c : number) {
        if (c < '0' || c > '9') continue;
        if (c == '0' && leading) continue;
        leading = false;
        ++n;
    }
    return n;
}

// Two writes of the same file: the same bytes, except where a number had more digits than a
// double holds (a reading of 10^15 nA and more) and the last of them moved by rounding.
std::string differentBytes(std::string_view a, std::string_view b) {
    if (a == b) return {};
    std::vector<std::string_view> la, lb;
    forEachLine(a, [&](std::string_view l) { la.push_back(l); });
    forEachLine(b, [&](std::string_view l) { lb.push_back(l); });
    if (la.size() != lb.size()) return "a second write has another number of lines";
    bool inData = false;
    for (std::size_t i = 0; i < la.size(); ++i) {
        if (la[i] == lb[i]) {
            if (la[i] == "[Data]") inData = true;
            continue;
        }
        if (!inData) return "a second write changes line " + std::to_string(i + 1);
        std::string_view fa = la[i], fb = lb[i];
        while (!fa.empty() || !fb.empty()) {
            const std::string_view xa = fa.substr(0, fa.find('\t'));
            const std::string_view xb = fb.substr(0, fb.find('\t'));
            if (xa != xb) {
                const double va = readNumber(xa), vb = readNumber(xb);
                if (significantDigits(xa) <= 15 ||
                    std::fabs(va - vb) > 8 * std::numeric_limits<double>::epsilon() * std::fabs(va))
                    return "a second write changes data line " + std::to_string(i + 1);
            }
            fa.remove_prefix(std::min(fa.size(), xa.size() + 1));
            fb.remove_prefix(std::min(fb.size(), xb.size() + 1));
        }
    }
    return {};
}

// ---- The data file --------------------------------------------------------------------

std::string checkDataFile(std::string_view input) {
    Opened first;
    open(input, first);
    if (std::string e = storeShape(first.points); !e.empty()) return "read: " + e;

    const DataColumns columns = columnsOf(first.controls);
    const std::string written = writeDataFile(first.controls, first.points, columns);
    Opened second;
    open(written, second);
    if (std::string e = storeShape(second.points); !e.empty()) return "read back: " + e;
    if (std::string d = differentControls(first.controls, second.controls); !d.empty())
        return "a written file reads back with another " + d;
    if (second.points.Count != first.points.Count)
        return "a written file reads back with another number of points";
    const DataLineFormat format = dataLineFormat(first.controls, columns);
    for (int i = 0; i < first.points.Count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!sameToDecimals(first.points.Times[k], second.points.Times[k], format.timeDecimals,
                            format.factors.time) ||
            !sameToDecimals(first.points.Signals[k], second.points.Signals[k], format.YDecimals,
                            format.factors.signal) ||
            (format.withCurrents &&
             !sameToDecimals(first.points.currentAt(i), second.points.currentAt(i),
                             format.CurrentDecimals, format.factors.current)))
            return "point " + std::to_string(i) + " reads back beyond its decimals";
    }

    const std::string again = writeDataFile(second.controls, second.points, columnsOf(second.controls));
    if (std::string d = differentBytes(written, again); !d.empty()) return d;
    return {};
}

// ---- The settings file ----------------------------------------------------------------

struct Loaded {
    FakeControls controls = defaultControls();
    std::array<std::string, 6> zero, factor;
    GraphColors colors;
    PageSetupValues page;
    SettingsTargets targets{controls, zero, factor, colors, page};

    explicit Loaded(const ProfileStore& store) {
        loadCreationSettings(store, controls);
        loadActivationSettings(store, targets);
    }
    Loaded(const Loaded&) = delete;
    std::string write() {
        ProfileStore out;
        storeSettings(out, targets);
        return out.serialize();
    }
};

std::string checkSettingsFile(std::string_view input) {
    const ProfileStore first = ProfileStore::parse(input);
    const std::string once = first.serialize();
    const ProfileStore second = ProfileStore::parse(once);
    if (second.serialize() != once) return "a written settings file writes back other bytes";
    for (const SettingDef& d : settingsTable()) {
        if (d.kind == SettingKind::Lines) {
            if (first.readLines(d.section) != second.readLines(d.section))
                return "section " + std::string(d.section) + " reads back other lines";
        } else if (first.readString(d.section, d.key) != second.readString(d.section, d.key)) {
            return "key " + std::string(d.key) + " reads back another value";
        }
    }

    // Into the windows, out to a new file, and in again: the same settings, the same bytes.
    Loaded a(first);
    const std::string written = a.write();
    Loaded b(ProfileStore::parse(written));
    // The settings file stores no empty program or description lines (a hand-written "="
    // line reads as one).
    for (auto& [name, lines] : a.controls.memos)
        std::erase_if(lines, [](const std::string& l) { return l.empty(); });
    if (std::string d = differentControls(a.controls, b.controls); !d.empty())
        return "written settings read back with another " + d;
    if (a.zero != b.zero || a.factor != b.factor) return "PMT calibration texts read back otherwise";
    if (b.write() != written) return "settings read from a written file write other bytes";
    return {};
}

// ---- The programs ---------------------------------------------------------------------

// A fuzz input for a one-line program: the cycle time on the first line, the program text
// after it. A line edit holds no line breaks.
struct LineProgram {
    double cycleTime = 30;
    std::string text;
};

LineProgram lineProgram(std::string_view input) {
    LineProgram p;
    const std::size_t eol = input.find('\n');
    if (eol != std::string_view::npos) {
        const double cycle = readNumber(input.substr(0, eol));
        if (cycle > 0) p.cycleTime = cycle; // a cycle time of 0 or less is ignored
        input.remove_prefix(eol + 1);
    }
    // A control holds Unicode text: bytes that are no UTF-8 are taken as Windows-1252, as a
    // file's would be.
    for (char c : decodeFileText(input))
        if (c != '\r' && c != '\n') p.text += c;
    return p;
}

// The program text as a data file carries it back, through the same control.
std::string carriedText(const char* control, const std::string& text) {
    FakeControls c = defaultControls();
    c.setText(control, text);
    Opened o;
    open(writeDataFile(c, PointStore{}, columnsOf(c)), o);
    return o.controls.text(control);
}

std::string stepsProblem(int stepCount, const std::vector<double>& ends,
                         const std::vector<double>& values, double cycleTime) {
    if (stepCount != static_cast<int>(ends.size()) || ends.size() != values.size())
        return "StepCount and the step arrays disagree";
    if (stepCount < 2) return "fewer than two steps";
    if (ends.back() != cycleTime || values.back() != 0) return "no closing step at the cycle time";
    for (std::size_t i = 0; i < ends.size(); ++i)
        if (std::isnan(ends[i]) || !std::isfinite(values[i]))
            return "step " + std::to_string(i) + " is not a number";
    return {};
}

bool samePotentials(const PotentialSchedule& a, const PotentialSchedule& b) {
    return a.StepCount == b.StepCount && a.EndTimes == b.EndTimes && a.Potentials == b.Potentials;
}

std::string checkPotentialProgram(std::string_view input) {
    const LineProgram p = lineProgram(input);
    const PotentialSchedule s = parsePotentialProgram(p.text, p.cycleTime);
    if (std::string e = stepsProblem(s.StepCount, s.EndTimes, s.Potentials, p.cycleTime); !e.empty())
        return e;
    const std::string back = carriedText("PotentialEdit", p.text);
    if (back != p.text) return "a data file carries the potential program back otherwise";
    if (!samePotentials(parsePotentialProgram(back, p.cycleTime), s))
        return "the program read back parses otherwise";
    return {};
}

std::string checkPumpProgram(std::string_view input) {
    const LineProgram p = lineProgram(input);
    const PumpSchedule s = parsePumpProgram(p.text, p.cycleTime);
    if (std::string e = stepsProblem(s.StepCount, s.EndTimes, s.Speeds, p.cycleTime); !e.empty())
        return e;
    const std::string back = carriedText("PumpEdit", p.text);
    if (back != p.text) return "a data file carries the pump program back otherwise";
    const PumpSchedule again = parsePumpProgram(back, p.cycleTime);
    if (again.StepCount != s.StepCount || again.EndTimes != s.EndTimes || again.Speeds != s.Speeds)
        return "the program read back parses otherwise";
    return {};
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

std::string differentValvePrograms(const ValveProgram& a, const ValveProgram& b) {
    if (a.ValveIntervals != b.ValveIntervals || a.ValveDefined != b.ValveDefined)
        return "other valve intervals";
    if (a.SwitchSums != b.SwitchSums) return "other switching times";
    if (a.Lane != b.Lane || a.LaneCount != b.LaneCount) return "other graph lanes";
    const ValveSchedule &sa = a.Schedule, &sb = b.Schedule;
    if (sa.SwitchTimes != sb.SwitchTimes || sa.Masks != sb.Masks || sa.StopMask != sb.StopMask ||
        sa.PauseMask != sb.PauseMask)
        return "another schedule";
    return {};
}

// A fuzz input for the valve program: the cycle time on the first line, the editor's lines
// after it.
std::string checkValveProgram(std::string_view input) {
    double cycleTime = 30;
    const std::size_t eol = input.find('\n');
    if (eol != std::string_view::npos) {
        const double cycle = readNumber(input.substr(0, eol));
        if (cycle > 0) cycleTime = cycle;
        input.remove_prefix(eol + 1);
    }
    std::vector<std::string> lines;
    forEachLine(decodeFileText(input), [&](std::string_view l) { lines.emplace_back(l); });
    const ValveProgram p = parseValveProgram(joinLines(lines), cycleTime);

    for (int v = 0; v < kValveCount; ++v)
        if (p.ValveIntervals[v].size() > kMaxValveIntervals) return "more intervals than a valve holds";
    const ValveSchedule& s = p.Schedule;
    if (s.SwitchTimes.size() != s.Masks.size()) return "switching times and masks disagree";
    constexpr unsigned kAllValves = (1u << kValveCount) - 1;
    if ((s.StopMask & ~kAllValves) || (s.PauseMask & ~kAllValves)) return "a mask beyond V12";
    for (std::size_t j = 0; j < s.Masks.size(); ++j) {
        if (s.Masks[j] & ~kAllValves) return "a mask beyond V12";
        if (std::isnan(s.SwitchTimes[j])) return "a switching time is not a number";
        if (j > 0 && s.SwitchTimes[j] < s.SwitchTimes[j - 1]) return "switching times go back";
    }

    // The program's lines as a data file and the settings file carry them back.
    FakeControls c = defaultControls();
    c.setLines("Memo2", lines);
    Opened o;
    open(writeDataFile(c, PointStore{}, columnsOf(c)), o);
    if (std::string d = differentValvePrograms(
            p, parseValveProgram(joinLines(o.controls.lines("Memo2")), cycleTime));
        !d.empty())
        return "the program read back from a data file gives " + d;
    ProfileStore store;
    store.writeLines("Valves", lines);
    const ProfileStore back = ProfileStore::parse(store.serialize());
    if (std::string d = differentValvePrograms(
            p, parseValveProgram(joinLines(back.readLines("Valves")), cycleTime));
        !d.empty())
        return "the program read back from the settings file gives " + d;
    return {};
}

constexpr Target kTargets[] = {
    {"data_file", checkDataFile},
    {"settings_file", checkSettingsFile},
    {"potential_program", checkPotentialProgram},
    {"valve_program", checkValveProgram},
    {"pump_program", checkPumpProgram},
};

} // namespace

std::span<const Target> targets() { return kTargets; }

const Target* findTarget(std::string_view name) {
    for (const Target& t : kTargets)
        if (t.name == name) return &t;
    return nullptr;
}

} // namespace varentis::fuzz
