#include "documents/SettingsFile.h"

#include "FakeControls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

using namespace varentis;

namespace {

struct Windows {
    FakeControls controls;
    std::array<std::string, 6> zero, factor;
    GraphColors colors;
    PageSetupValues page;
    SettingsTargets targets{controls, zero, factor, colors, page};

    void load(const ProfileStore& store) {
        loadCreationSettings(store, controls);
        loadActivationSettings(store, targets);
    }
};

std::string saved(Windows& w, ProfileStore store = {}) {
    storeSettings(store, w.targets);
    return store.serialize();
}

} // namespace

TEST(SettingsFile, NoFileGivesTheDefaults) {
    Windows w;
    w.load(ProfileStore{});
    FakeControls& c = w.controls;
    EXPECT_EQ(c.text("Edit6"), "100");
    EXPECT_EQ(c.itemText("ComboBox3"), "ms");
    EXPECT_EQ(c.text("Edit7"), "0");
    EXPECT_EQ(c.itemText("ComboBox4"), "%");
    EXPECT_EQ(c.text("Edit10"), "30");
    EXPECT_EQ(c.text("Edit9"), "100");
    EXPECT_EQ(c.text("Edit8"), "0");
    EXPECT_EQ(c.text("Edit2"), "0");
    EXPECT_EQ(c.text("Edit3"), "100");
    EXPECT_EQ(c.itemText("ComboBox1"), "nA");
    EXPECT_EQ(c.text("Edit4"), "0");
    EXPECT_EQ(c.text("Edit5"), "100");
    EXPECT_EQ(c.itemText("ComboBox2"), "s");
    EXPECT_EQ(c.text("PotentialEdit"), "0");
    EXPECT_EQ(c.text("PumpEdit"), "50");
    for (const char* on : {"UsingPotentiostat", "UsingPump", "UsingValves", "TPrintRep.CheckBox1",
                           "TPrintRep.CheckBox5"})
        EXPECT_TRUE(c.checked(on)) << on;
    for (const char* off : {"ShowPotential", "DrawCurrent", "ShowPump", "ShowValves",
                            "Stopifmaxtime1", "Changerange1", "Detectoroff",
                            "TPotential.ElectrodesOff"})
        EXPECT_FALSE(c.checked(off)) << off;
    EXPECT_TRUE(c.lines("Memo2").empty());
    EXPECT_TRUE(c.lines("Memo1").empty());
    EXPECT_EQ(c.text("TPotential.PMin"), "-2");
    EXPECT_EQ(c.itemIndex("TPotential.CUnits"), 0);
    EXPECT_EQ(c.itemIndex("TPotential.Electrodes"), 0);
    EXPECT_EQ(c.text("TPMTSetup.VFactor"), "1.000");
    EXPECT_EQ(c.text("TPump.Edit3"), "-20");
    EXPECT_EQ(c.text("TForm2.Edit4"), "2.0");
    EXPECT_EQ(w.zero[5], "0");
    EXPECT_EQ(w.factor[0], "1.0000");
    EXPECT_EQ(w.colors.PMT, 255 * 65536);
    EXPECT_EQ(w.colors.Pump, 128 + 256 * 128 + 65536 * 128);
    EXPECT_EQ(w.page.FontName, "Arial");
    EXPECT_EQ(w.page.FontSize, 12);
    EXPECT_FALSE(w.page.FontBold || w.page.FontItalic || w.page.Landscape);
}

TEST(SettingsFile, TheGroupsReadOnlyTheirOwnKeys) {
    auto store = ProfileStore::parse("[Setup]\nPeriod=5\nPotential Min=-7\n[Pump]\nSpeed 1=9\n");
    Windows w;
    loadCreationSettings(store, w.controls);
    EXPECT_EQ(w.controls.text("Edit6"), "5");
    EXPECT_EQ(w.controls.texts.count("TPotential.PMin"), 0u);
    EXPECT_EQ(w.controls.texts.count("TPump.Edit1"), 0u);
    loadActivationSettings(store, w.targets);
    EXPECT_EQ(w.controls.text("TPotential.PMin"), "-7");
    EXPECT_EQ(w.controls.text("TPump.Edit1"), "9");
}

TEST(SettingsFile, TheWriteOrderCoversTheTableOnce) {
    std::set<std::pair<std::string_view, std::string_view>> written;
    for (const auto& key : settingsWriteOrder()) {
        EXPECT_NE(findSetting(key.first, key.second), nullptr) << key.second;
        EXPECT_TRUE(written.insert(key).second) << key.second;
    }
    EXPECT_EQ(written.size(), settingsTable().size());
}

TEST(SettingsFile, ANewFileHoldsTheKeysInWriteOrder) {
    Windows w;
    w.load(ProfileStore{});
    const std::string file = saved(w);
    const char* expectedStart =
        "[Setup]\r\nPeriod=100\r\nPeriod units=ms\r\nDamping=0\r\nDamping units=%\r\n"
        "Cycle time=30\r\nPMT voltage=100\r\nZero=0\r\nY min=0\r\nY max=100\r\nY units=nA\r\n"
        "X min=0\r\nX max=100\r\nX units=s\r\nPotential=0\r\nUsing potentiostat=1\r\n"
        "Show potential=0\r\nDraw current=0\r\nPotential Min=-2\r\nPotential Max=2\r\n"
        "Current Min=-2\r\nCurrent Max=2\r\nCurrent units=0\r\nElectrodes=0\r\n"
        "Electrodes off=0\r\nUsing pump=1\r\nShow pump=0\r\nPump=50\r\nUsing valves=1\r\n"
        "Show valves=0\r\nMax time stop=0\r\nChange range=0\r\nDetector off=0\r\n"
        "[Valves]\r\n[Info]\r\n[PMT setup]\r\nMax voltage=1000\r\nVoltage factor=1.000\r\n"
        "Current zero 0=0\r\nCurrent factor 0=1.0000\r\n";
    EXPECT_EQ(file.substr(0, std::string_view(expectedStart).size()), expectedStart);
    const char* expectedEnd =
        "[Pump]\r\nSpeed 1=20\r\nSpeed 2=50\r\nSpeed 3=-20\r\nSpeed 4=-50\r\n"
        "[Colors]\r\nValves=0\r\nValve Bkg=16777215\r\nPMT=16711680\r\nPotential=65280\r\n"
        "Current=255\r\nPump=8421504\r\nBkg=16777215\r\n"
        "[Page setup]\r\nLeft=2.0\r\nTop=2.0\r\nRight=2.0\r\nBottom=2.0\r\nFrame color=0\r\n"
        "Line color=0\r\nValve color=0\r\nOrientation=0\r\nFont name=Arial\r\nFont size=12\r\n"
        "Font color=0\r\nLine width=1\r\nFont style=\r\nPrint graph=1\r\nPrint valves=1\r\n"
        "Print info=1\r\nPrint valve text=1\r\nPrint grid=1\r\n";
    EXPECT_TRUE(file.ends_with(expectedEnd)) << file;
}

TEST(SettingsFile, EverySettingSurvivesARestart) {
    Windows w;
    w.load(ProfileStore{});
    FakeControls& c = w.controls;
    c.setText("Edit6", "250");
    c.setItemIndex("ComboBox3", 1);
    c.setItemIndex("ComboBox1", 2);
    c.setText("Edit8", "Grüße µ");
    c.setChecked("UsingPotentiostat", false);
    c.setChecked("Detectoroff", true);
    c.setItemIndex("TPotential.Electrodes", 1);
    c.setItemIndex("TPotential.CUnits", 4);
    c.setLines("Memo2", {"10 V1", "", "10 V1", "speed=50", "Ω step"});
    c.setLines("Memo1", {"first [note]", "a = b"});
    w.zero[3] = "12.5";
    w.factor[5] = "0.98";
    w.colors.Bkg = 0x123456;
    w.page.Landscape = true;
    w.page.FontBold = w.page.FontItalic = true;
    w.page.FontName = "DejaVu Sans";
    c.setChecked("TPrintRep.CheckBox4", false);
    const std::string file = saved(w);

    Windows back;
    back.load(ProfileStore::parse(file));
    FakeControls& b = back.controls;
    EXPECT_EQ(b.text("Edit6"), "250");
    EXPECT_EQ(b.itemText("ComboBox3"), "s");
    EXPECT_EQ(b.itemText("ComboBox1"), "uA");
    EXPECT_EQ(b.text("Edit8"), "Grüße µ");
    EXPECT_FALSE(b.checked("UsingPotentiostat"));
    EXPECT_TRUE(b.checked("Detectoroff"));
    EXPECT_EQ(b.itemIndex("TPotential.Electrodes"), 1);
    EXPECT_EQ(b.itemIndex("TPotential.CUnits"), 4);
    // Empty lines go; repeated lines, "=" and characters outside the code page stay.
    EXPECT_EQ(b.lines("Memo2"),
              (std::vector<std::string>{"10 V1", "10 V1", "speed=50", "Ω step"}));
    EXPECT_EQ(b.lines("Memo1"), (std::vector<std::string>{"first [note]", "a = b"}));
    EXPECT_EQ(back.zero[3], "12.5");
    EXPECT_EQ(back.factor[5], "0.98");
    EXPECT_EQ(back.colors.Bkg, 0x123456);
    EXPECT_TRUE(back.page.Landscape);
    EXPECT_TRUE(back.page.FontBold && back.page.FontItalic);
    EXPECT_EQ(back.page.FontName, "DejaVu Sans");
    EXPECT_FALSE(b.checked("TPrintRep.CheckBox4"));
    // Written again, the file is the same bytes.
    EXPECT_EQ(saved(back, ProfileStore::parse(file)), file);
}

TEST(SettingsFile, AProgramLineWithEqualsIsStoredUnderItsFirstPartAndComesBackWhole) {
    Windows w;
    w.controls.setLines("Memo2", {"P=20,30"});
    const std::string file = saved(w);
    EXPECT_NE(file.find("[Valves]\r\nP=20,30=\r\n"), std::string::npos);
    Windows back;
    back.load(ProfileStore::parse(file));
    EXPECT_EQ(back.controls.lines("Memo2"), std::vector<std::string>{"P=20,30"});
}

struct StyleCase {
    const char* stored;
    bool bold, italic;
};

class FontStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(FontStyles, OnlyTheExactNamesSetTheStyle) {
    Windows w;
    w.load(ProfileStore::parse(std::string("[Page setup]\nFont style=") + GetParam().stored));
    EXPECT_EQ(w.page.FontBold, GetParam().bold) << GetParam().stored;
    EXPECT_EQ(w.page.FontItalic, GetParam().italic) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Values, FontStyles,
                         ::testing::Values(StyleCase{"Bold", true, false},
                                           StyleCase{"Italic", false, true},
                                           StyleCase{"Bold, Italic", true, true},
                                           StyleCase{"bold", false, false},
                                           StyleCase{"Italic, Bold", false, false},
                                           StyleCase{"", false, false}));

TEST(SettingsFile, AFontStyleTheFileCannotNameKeepsTheStoredValue) {
    Windows w;
    w.page.FontOtherStyle = true;
    const std::string file =
        saved(w, ProfileStore::parse("[Page setup]\r\nFont style=Italic\r\n"));
    EXPECT_NE(file.find("Font style=Italic\r\n"), std::string::npos);
}

TEST(SettingsFile, MalformedIntegersGiveTheDefaultAndTextsAreTakenUnchanged) {
    Windows w;
    w.load(ProfileStore::parse("[Setup]\nPeriod=abc\nUsing pump=yes\nCurrent units=1e999\n"
                               "Y units=UA\n[Colors]\nPMT=blue\nBkg=0xFF\n"));
    EXPECT_EQ(w.controls.text("Edit6"), "abc");
    EXPECT_TRUE(w.controls.checked("UsingPump"));
    EXPECT_EQ(w.controls.itemIndex("TPotential.CUnits"), 0);
    EXPECT_EQ(w.controls.itemIndex("ComboBox1"), -1); // no match leaves it unselected
    EXPECT_EQ(w.colors.PMT, 16711680);
    EXPECT_EQ(w.colors.Bkg, 255);
}

TEST(SettingsFile, KeepsSectionsAndKeysItDoesNotKnow) {
    Windows w;
    const std::string file =
        saved(w, ProfileStore::parse("[Setup]\r\nMine=1\r\nPeriod=7\r\n[Other]\r\nx=y\r\n"));
    EXPECT_TRUE(file.starts_with("[Setup]\r\nMine=1\r\nPeriod=\r\n")) << file;
    EXPECT_NE(file.find("[Other]\r\nx=y\r\n"), std::string::npos);
}

TEST(SettingsFile, ARefusedWriteNamesThePathAndKeepsTheOldFile) {
    const auto dir = std::filesystem::temp_directory_path() / "varentis_settings_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = dir / "varnts.ini";
    {
        std::ofstream(path, std::ios::binary) << "[Setup]\r\nPeriod=1\r\n";
    }
    ProfileStore store = readSettingsFile(path);
    EXPECT_EQ(store.readString("Setup", "Period", ""), "1");
    store.writeString("Setup", "Period", "2");
    EXPECT_FALSE(writeSettingsFile(path, store));
    EXPECT_EQ(readSettingsFile(path).readString("Setup", "Period", ""), "2");

    const auto missing = dir / "no such folder" / "varnts.ini";
    auto error = writeSettingsFile(missing, store);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Unable to write to " + missing.string() + ": " + std::strerror(ENOENT))
        << "the message names the file and the reason";
    EXPECT_FALSE(readSettingsFile(missing).hasSection("Setup"));

    // A read-only settings file is refused as a write into it would be, and kept.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    store.writeString("Setup", "Period", "3");
    error = writeSettingsFile(path, store);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Unable to write to " + path.string() + ": " + std::strerror(EACCES));
    EXPECT_EQ(readSettingsFile(path).readString("Setup", "Period", ""), "2");
    std::filesystem::remove_all(dir);
}

TEST(SettingsFile, AHandEditedFileWithLfEndsAndTheCodePageReads) {
    Windows w;
    w.load(readSettingsFile(VARENTIS_TEST_DATA "/hand_edited_varnts.ini"));
    FakeControls& c = w.controls;
    EXPECT_EQ(c.text("Edit6"), "250");
    EXPECT_EQ(c.itemText("ComboBox3"), "s");
    EXPECT_EQ(c.itemText("ComboBox1"), "uA");
    EXPECT_FALSE(c.checked("UsingPump"));
    EXPECT_EQ(c.itemIndex("TPotential.CUnits"), 2);
    EXPECT_EQ(c.lines("Memo2"), (std::vector<std::string>{"5 V1", "5 V1", "P=20"}));
    EXPECT_EQ(c.lines("Memo1"), std::vector<std::string>{"Messung in Köln"});
    EXPECT_EQ(w.colors.PMT, 255);
    EXPECT_TRUE(w.page.FontItalic);
    EXPECT_TRUE(w.page.Landscape);
}
