#pragma once

#include "documents/ControlAccess.h"
#include "graph/GraphColors.h"
#include "documents/ProfileStore.h"

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varentis {

inline constexpr std::string_view SettingsFileName = "varnts.ini";

// The page setup values that do not live in a dialog control (the margins and the five
// print flags do: "TForm2.Edit1" .. "Edit4", "TPrintRep.CheckBox1" .. "CheckBox5").
struct PageSetupValues {
    int FrameColor = 0;
    int LineColor = 0;
    int ValveColor = 0;
    int LineWidth = 1;
    bool Landscape = false;
    std::string FontName = "Arial";
    int FontSize = 12; // points
    int FontColor = 0;
    bool FontBold = false;
    bool FontItalic = false;
    // Underline or strike-out: a style the file cannot name, so its stored value is kept.
    bool FontOtherStyle = false;
};

// Everything the settings file is read into and written from.
struct SettingsTargets {
    ControlAccess& controls;
    std::array<std::string, 6>& CurrentZeroText;   // of TDevice
    std::array<std::string, 6>& CurrentFactorText; // of TDevice
    GraphColors& colors;
    PageSetupValues& page;
};

enum class SettingKind {
    Text,        // control text, unchanged
    UnitText,    // selected entry's text; read by exact match against the entries
    ItemIndex,   // selected index as an integer
    Flag,        // check state as 1 / 0
    Lines,       // multi-line editor, one "line=" entry per non-empty line
    ZeroText,    // TDevice CurrentZeroText[index]
    FactorText,  // TDevice CurrentFactorText[index]
    Color,       // GraphColors member
    PageInteger, // PageSetupValues member
    Orientation, // PageSetupValues::Landscape, written 1 / 0
    FontName,
    FontStyle,
};

enum class ReadGroup { Creation, FirstActivation };

struct SettingDef {
    std::string_view section;
    std::string_view key;
    SettingKind kind;
    std::string_view fallback; // default, as the file would hold it
    std::string_view control;  // for control-bound kinds
    ReadGroup group;
    int index = 0;                            // ZeroText, FactorText
    ColorRef GraphColors::*color = nullptr;  // Color
    int PageSetupValues::*pageInt = nullptr;  // PageInteger
};

// Every key of the settings file, in reading order (creation group first).
std::span<const SettingDef> settingsTable();
// The (section, key) pairs in the order they are written at close.
std::span<const std::pair<std::string_view, std::string_view>> settingsWriteOrder();
const SettingDef* findSetting(std::string_view section, std::string_view key);

// Reading at the main window's creation: its own controls, menu options, program, description.
void loadCreationSettings(const ProfileStore& store, ControlAccess& controls);
// Reading at the first activation: the settings of the other windows.
void loadActivationSettings(const ProfileStore& store, SettingsTargets& targets);
// Writes every setting into `store`, keeping whatever else it holds.
void storeSettings(ProfileStore& store, SettingsTargets& targets);

// The store of the file at `path`; a missing or unreadable file gives an empty store.
ProfileStore readSettingsFile(const std::filesystem::path& path);
// Writes the store through a temporary file and a rename. On failure returns the message
// "Unable to write to " + path + ": " + the reason, and the previous file is untouched.
std::optional<std::string> writeSettingsFile(const std::filesystem::path& path,
                                             const ProfileStore& store);

} // namespace varentis
