#include "documents/SettingsFile.h"

#include "documents/AtomicFile.h"
#include "documents/EvaluationSection.h"

#include <algorithm>

namespace varentis {

namespace {

using K = SettingKind;
constexpr ReadGroup C = ReadGroup::Creation;
constexpr ReadGroup A = ReadGroup::FirstActivation;

constexpr SettingDef text(std::string_view section, std::string_view key,
                          std::string_view fallback, std::string_view control, ReadGroup g) {
    return {section, key, K::Text, fallback, control, g};
}
constexpr SettingDef unit(std::string_view key, std::string_view fallback,
                          std::string_view control) {
    return {"Setup", key, K::UnitText, fallback, control, C};
}
constexpr SettingDef flag(std::string_view section, std::string_view key,
                          std::string_view fallback, std::string_view control, ReadGroup g) {
    return {section, key, K::Flag, fallback, control, g};
}
constexpr SettingDef color(std::string_view key, std::string_view fallback,
                           ColorRef GraphColors::*member) {
    return {"Colors", key, K::Color, fallback, {}, A, 0, member};
}
constexpr SettingDef pageInt(std::string_view key, std::string_view fallback,
                             int PageSetupValues::*member) {
    return {"Page setup", key, K::PageInteger, fallback, {}, A, 0, nullptr, member};
}
constexpr SettingDef zero(std::string_view key, int n) {
    return {"PMT setup", key, K::ZeroText, "0", {}, A, n};
}
constexpr SettingDef factor(std::string_view key, int n) {
    return {"PMT setup", key, K::FactorText, "1.0000", {}, A, n};
}

const SettingDef kTable[] = {
    // Main window, at creation.
    text("Setup", "Period", "100", "Edit6", C),
    unit("Period units", "ms", "ComboBox3"),
    text("Setup", "Damping", "0", "Edit7", C),
    unit("Damping units", "%", "ComboBox4"),
    text("Setup", "Cycle time", "30", "Edit10", C),
    text("Setup", "PMT voltage", "100", "Edit9", C),
    text("Setup", "Zero", "0", "Edit8", C),
    text("Setup", "Y min", "0", "Edit2", C),
    text("Setup", "Y max", "100", "Edit3", C),
    unit("Y units", "nA", "ComboBox1"),
    text("Setup", "X min", "0", "Edit4", C),
    text("Setup", "X max", "100", "Edit5", C),
    unit("X units", "s", "ComboBox2"),
    flag("Setup", "Using potentiostat", "1", "UsingPotentiostat", C),
    flag("Setup", "Show potential", "0", "ShowPotential", C),
    flag("Setup", "Draw current", "0", "DrawCurrent", C),
    text("Setup", "Potential", "0", "PotentialEdit", C),
    flag("Setup", "Using pump", "1", "UsingPump", C),
    flag("Setup", "Show pump", "0", "ShowPump", C),
    text("Setup", "Pump", "50", "PumpEdit", C),
    flag("Setup", "Using valves", "1", "UsingValves", C),
    flag("Setup", "Show valves", "0", "ShowValves", C),
    flag("Setup", "Max time stop", "0", "Stopifmaxtime1", C),
    flag("Setup", "Change range", "0", "Changerange1", C),
    flag("Setup", "Detector off", "0", "Detectoroff", C),
    {"Valves", {}, K::Lines, {}, "Memo2", C},
    {"Info", {}, K::Lines, {}, "Memo1", C},
    // The other windows, at the first activation.
    color("Valves", "0", &GraphColors::Valves),
    color("Valve Bkg", "16777215", &GraphColors::ValveBkg),
    color("PMT", "16711680", &GraphColors::PMT),
    color("Potential", "65280", &GraphColors::Potential),
    color("Current", "255", &GraphColors::Current),
    color("Pump", "8421504", &GraphColors::Pump),
    color("Bkg", "16777215", &GraphColors::Bkg),
    text("PMT setup", "Max voltage", "1000", "TPMTSetup.MaxVoltage", A),
    text("PMT setup", "Voltage factor", "1.000", "TPMTSetup.VFactor", A),
    zero("Current zero 0", 0),
    factor("Current factor 0", 0),
    zero("Current zero 1", 1),
    factor("Current factor 1", 1),
    zero("Current zero 2", 2),
    factor("Current factor 2", 2),
    zero("Current zero 3", 3),
    factor("Current factor 3", 3),
    zero("Current zero 4", 4),
    factor("Current factor 4", 4),
    zero("Current zero 5", 5),
    factor("Current factor 5", 5),
    text("Pump", "Speed 1", "20", "TPump.Edit1", A),
    text("Pump", "Speed 2", "50", "TPump.Edit2", A),
    text("Pump", "Speed 3", "-20", "TPump.Edit3", A),
    text("Pump", "Speed 4", "-50", "TPump.Edit4", A),
    text("Setup", "Potential Min", "-2", "TPotential.PMin", A),
    text("Setup", "Potential Max", "2", "TPotential.PMax", A),
    text("Setup", "Current Min", "-2", "TPotential.CMin", A),
    text("Setup", "Current Max", "2", "TPotential.CMax", A),
    {"Setup", "Current units", K::ItemIndex, "0", "TPotential.CUnits", A},
    {"Setup", "Electrodes", K::ItemIndex, "0", "TPotential.Electrodes", A},
    flag("Setup", "Electrodes off", "0", "TPotential.ElectrodesOff", A),
    text("Page setup", "Left", "2.0", "TForm2.Edit1", A),
    text("Page setup", "Top", "2.0", "TForm2.Edit2", A),
    text("Page setup", "Right", "2.0", "TForm2.Edit3", A),
    text("Page setup", "Bottom", "2.0", "TForm2.Edit4", A),
    pageInt("Frame color", "0", &PageSetupValues::FrameColor),
    pageInt("Line color", "0", &PageSetupValues::LineColor),
    pageInt("Valve color", "0", &PageSetupValues::ValveColor),
    pageInt("Line width", "1", &PageSetupValues::LineWidth),
    {"Page setup", "Orientation", K::Orientation, "0", {}, A},
    {"Page setup", "Font name", K::FontName, "Arial", {}, A},
    pageInt("Font size", "12", &PageSetupValues::FontSize),
    pageInt("Font color", "0", &PageSetupValues::FontColor),
    {"Page setup", "Font style", K::FontStyle, "", {}, A},
    flag("Page setup", "Print graph", "1", "TPrintRep.CheckBox1", A),
    flag("Page setup", "Print valves", "1", "TPrintRep.CheckBox2", A),
    flag("Page setup", "Print info", "1", "TPrintRep.CheckBox3", A),
    flag("Page setup", "Print valve text", "1", "TPrintRep.CheckBox4", A),
    flag("Page setup", "Print grid", "1", "TPrintRep.CheckBox5", A),
};

using SK = std::pair<std::string_view, std::string_view>;
const SK kWriteOrder[] = {
    {"Setup", "Period"}, {"Setup", "Period units"}, {"Setup", "Damping"},
    {"Setup", "Damping units"}, {"Setup", "Cycle time"}, {"Setup", "PMT voltage"},
    {"Setup", "Zero"}, {"Setup", "Y min"}, {"Setup", "Y max"}, {"Setup", "Y units"},
    {"Setup", "X min"}, {"Setup", "X max"}, {"Setup", "X units"}, {"Setup", "Potential"},
    {"Setup", "Using potentiostat"}, {"Setup", "Show potential"}, {"Setup", "Draw current"},
    {"Setup", "Potential Min"}, {"Setup", "Potential Max"}, {"Setup", "Current Min"},
    {"Setup", "Current Max"}, {"Setup", "Current units"}, {"Setup", "Electrodes"},
    {"Setup", "Electrodes off"}, {"Setup", "Using pump"}, {"Setup", "Show pump"},
    {"Setup", "Pump"}, {"Setup", "Using valves"}, {"Setup", "Show valves"},
    {"Setup", "Max time stop"}, {"Setup", "Change range"}, {"Setup", "Detector off"},
    {"Valves", {}}, {"Info", {}},
    {"PMT setup", "Max voltage"}, {"PMT setup", "Voltage factor"},
    {"PMT setup", "Current zero 0"}, {"PMT setup", "Current factor 0"},
    {"PMT setup", "Current zero 1"}, {"PMT setup", "Current factor 1"},
    {"PMT setup", "Current zero 2"}, {"PMT setup", "Current factor 2"},
    {"PMT setup", "Current zero 3"}, {"PMT setup", "Current factor 3"},
    {"PMT setup", "Current zero 4"}, {"PMT setup", "Current factor 4"},
    {"PMT setup", "Current zero 5"}, {"PMT setup", "Current factor 5"},
    {"Pump", "Speed 1"}, {"Pump", "Speed 2"}, {"Pump", "Speed 3"}, {"Pump", "Speed 4"},
    {"Colors", "Valves"}, {"Colors", "Valve Bkg"}, {"Colors", "PMT"}, {"Colors", "Potential"},
    {"Colors", "Current"}, {"Colors", "Pump"}, {"Colors", "Bkg"},
    {"Page setup", "Left"}, {"Page setup", "Top"}, {"Page setup", "Right"},
    {"Page setup", "Bottom"}, {"Page setup", "Frame color"}, {"Page setup", "Line color"},
    {"Page setup", "Valve color"}, {"Page setup", "Orientation"}, {"Page setup", "Font name"},
    {"Page setup", "Font size"}, {"Page setup", "Font color"}, {"Page setup", "Line width"},
    {"Page setup", "Font style"}, {"Page setup", "Print graph"}, {"Page setup", "Print valves"},
    {"Page setup", "Print info"}, {"Page setup", "Print valve text"},
    {"Page setup", "Print grid"},
};

int integerDefault(const SettingDef& d) { return ProfileStore::parseInteger(d.fallback).value_or(0); }

void readOne(const ProfileStore& store, const SettingDef& d, ControlAccess& controls,
             SettingsTargets* targets) {
    switch (d.kind) {
    case K::Text:
        controls.setText(d.control, store.readString(d.section, d.key, d.fallback));
        return;
    case K::UnitText:
        controls.selectItemByText(d.control, store.readString(d.section, d.key, d.fallback));
        return;
    case K::ItemIndex:
        controls.setItemIndex(d.control, store.readInteger(d.section, d.key, integerDefault(d)));
        return;
    case K::Flag:
        controls.setChecked(d.control, store.readFlag(d.section, d.key, integerDefault(d) != 0));
        return;
    case K::Lines:
        controls.setLines(d.control, store.readLines(d.section));
        return;
    default:
        break;
    }
    if (!targets) return;
    const auto n = static_cast<std::size_t>(d.index);
    PageSetupValues& page = targets->page;
    switch (d.kind) {
    case K::ZeroText:
        targets->CurrentZeroText[n] = store.readString(d.section, d.key, d.fallback);
        break;
    case K::FactorText:
        targets->CurrentFactorText[n] = store.readString(d.section, d.key, d.fallback);
        break;
    case K::Color:
        targets->colors.*d.color =
            static_cast<ColorRef>(store.readInteger(d.section, d.key, integerDefault(d)));
        break;
    case K::PageInteger:
        page.*d.pageInt = store.readInteger(d.section, d.key, integerDefault(d));
        break;
    case K::Orientation:
        page.Landscape = store.readInteger(d.section, d.key, 0) != 0;
        break;
    case K::FontName:
        page.FontName = store.readString(d.section, d.key, d.fallback);
        break;
    case K::FontStyle: {
        // Only the three exact names change the style; "bold" in lower case does not.
        std::string style = store.readString(d.section, d.key, d.fallback);
        if (style == "Bold" || style == "Italic" || style == "Bold, Italic") {
            page.FontBold = style != "Italic";
            page.FontItalic = style != "Bold";
            page.FontOtherStyle = false;
        }
        break;
    }
    default:
        break;
    }
}

void writeOne(ProfileStore& store, const SettingDef& d, SettingsTargets& t) {
    ControlAccess& controls = t.controls;
    const PageSetupValues& page = t.page;
    const auto n = static_cast<std::size_t>(d.index);
    switch (d.kind) {
    case K::Text:
        store.writeString(d.section, d.key, controls.text(d.control));
        break;
    case K::UnitText:
        store.writeString(d.section, d.key, controls.itemText(d.control));
        break;
    case K::ItemIndex:
        store.writeInteger(d.section, d.key, controls.itemIndex(d.control));
        break;
    case K::Flag:
        store.writeFlag(d.section, d.key, controls.checked(d.control));
        break;
    case K::Lines:
        store.writeLines(d.section, controls.lines(d.control));
        break;
    case K::ZeroText:
        store.writeString(d.section, d.key, t.CurrentZeroText[n]);
        break;
    case K::FactorText:
        store.writeString(d.section, d.key, t.CurrentFactorText[n]);
        break;
    case K::Color:
        store.writeInteger(d.section, d.key, static_cast<int>(t.colors.*d.color));
        break;
    case K::PageInteger:
        store.writeInteger(d.section, d.key, page.*d.pageInt);
        break;
    case K::Orientation:
        store.writeInteger(d.section, d.key, page.Landscape ? 1 : 0);
        break;
    case K::FontName:
        store.writeString(d.section, d.key, page.FontName);
        break;
    case K::FontStyle:
        if (page.FontOtherStyle) break;
        store.writeString(d.section, d.key,
                          page.FontBold ? (page.FontItalic ? "Bold, Italic" : "Bold")
                                        : (page.FontItalic ? "Italic" : ""));
        break;
    }
}

} // namespace

std::span<const SettingDef> settingsTable() { return kTable; }
std::span<const std::pair<std::string_view, std::string_view>> settingsWriteOrder() {
    return kWriteOrder;
}

const SettingDef* findSetting(std::string_view section, std::string_view key) {
    auto it = std::find_if(std::begin(kTable), std::end(kTable), [&](const SettingDef& d) {
        return d.section == section && d.key == key;
    });
    return it == std::end(kTable) ? nullptr : &*it;
}

void loadCreationSettings(const ProfileStore& store, ControlAccess& controls) {
    for (const SettingDef& d : kTable)
        if (d.group == ReadGroup::Creation) readOne(store, d, controls, nullptr);
}

void loadActivationSettings(const ProfileStore& store, SettingsTargets& targets) {
    for (const SettingDef& d : kTable)
        if (d.group == ReadGroup::FirstActivation) readOne(store, d, targets.controls, &targets);
    loadEvaluation(store, targets.controls);
}

void storeSettings(ProfileStore& store, SettingsTargets& targets) {
    for (const auto& [section, key] : kWriteOrder)
        if (const SettingDef* d = findSetting(section, key)) writeOne(store, *d, targets);
    storeEvaluation(store, evaluationFromControls(targets.controls));
}

ProfileStore readSettingsFile(const std::filesystem::path& path) {
    std::string bytes;
    if (readWholeFile(path, bytes)) return {};
    return ProfileStore::parse(bytes);
}

std::optional<std::string> writeSettingsFile(const std::filesystem::path& path,
                                             const ProfileStore& store) {
    if (auto error = writeFileAtomically(path, store.serialize()))
        return "Unable to write to " + path.string() + ": " + *error;
    return std::nullopt;
}

} // namespace varentis
