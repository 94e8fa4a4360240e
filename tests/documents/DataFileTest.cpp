#include "documents/DataFile.h"

#include "FakeControls.h"
#include "core/Units.h"
#include "documents/AtomicFile.h"
#include "documents/SettingsFile.h"

#include <gtest/gtest.h>

#include "core/NumberText.h"
#include "documents/TextEncoding.h"
#include "documents/TextLines.h"

#include <cstring>
#include <random>

using namespace varentis;

namespace {

// The main window's part of Open: it notes when it runs and scales from the loaded units.
struct Hooks : DataFileReadHooks {
    explicit Hooks(FakeControls& c) : controls(c) {}
    void applyPeriod() override {
        calls.push_back("period " + controls.text("Edit6"));
    }
    ColumnFactors recomputeScaling() override {
        calls.push_back("scaling " + controls.itemText("ComboBox2"));
        return {unitFactor(TimeUnits, controls.itemIndex("ComboBox2"), 0),
                unitFactor(CurrentUnits, controls.itemIndex("ComboBox1"), 1),
                unitFactor(CurrentUnits, controls.itemIndex("TPotential.CUnits"), 0)};
    }
    FakeControls& controls;
    std::vector<std::string> calls;
};


PointStore twoPoints() {
    PointStore p;
    p.startRun(100, false);
    p.append(0.0, 1.5e-9);
    p.append(0.1, 2.25e-9);
    return p;
}

struct Opened {
    FakeControls controls = defaultControls();
    PointStore points;
    std::vector<std::string> calls;
    DataFileReadResult result;
};

Opened open(std::string_view bytes, FakeControls start = defaultControls()) {
    Opened o;
    o.controls = std::move(start);
    Hooks hooks(o.controls);
    o.result = readDataFile(bytes, o.controls, o.points, hooks);
    o.calls = hooks.calls;
    return o;
}

const char* const kDefaultSetup =
    "[Setup]\r\nPeriod=100\r\nPeriod units=ms\r\nDamping=0\r\nDamping units=%\r\nZero=0\r\n"
    "Cycle time=30\r\nPMT voltage=100\r\nY min=0\r\nY max=100\r\nY units=nA\r\nX min=0\r\n"
    "X max=100\r\nX units=s\r\nPotential=0\r\nUsing potentiostat=false\r\n"
    "Show potential=false\r\nDraw current=false\r\nPotential Min=-2\r\nPotential Max=2\r\n"
    "Current Min=-2\r\nCurrent Max=2\r\nCurrent units=pA\r\nElectrodes=0\r\n"
    "Electrodes off=false\r\nUsing pump=true\r\nShow pump=false\r\nPump=50\r\n"
    "Using valves=true\r\nShow valves=false\r\n";

} // namespace

TEST(DataFileWriter, TwoPointsWithTheDefaultAxesGiveTheseBytes) {
    FakeControls c = defaultControls();
    c.setChecked("UsingPotentiostat", false);
    const std::string file = writeDataFile(c, twoPoints(), DataColumns{});
    EXPECT_EQ(file, std::string(kDefaultSetup) +
                        "[Valves]\r\n[Info]\r\n[Data]\r\n0.00\t1.50\r\n0.10\t2.25\r\n");
}

TEST(DataFileWriter, NoPointsEndWithTheDataHeaderAndReadBackEmpty) {
    FakeControls c = defaultControls();
    c.setChecked("UsingPotentiostat", false);
    const std::string file = writeDataFile(c, PointStore{}, DataColumns{});
    EXPECT_TRUE(file.ends_with("[Info]\r\n[Data]\r\n"));
    Opened o = open(file);
    EXPECT_TRUE(o.result.dataFound);
    EXPECT_EQ(o.points.Count, 0);
    EXPECT_EQ(o.points.Capacity, 100);
}

TEST(DataFileWriter, KeepsEmptyAndRepeatedLinesOfProgramAndDescription) {
    FakeControls c = defaultControls();
    c.setLines("Memo2", {"10 V1", "", "10 V1"});
    c.setLines("Memo1", {"", "note"});
    const std::string file = writeDataFile(c, PointStore{}, DataColumns{});
    EXPECT_NE(file.find("[Valves]\r\n10 V1\r\n\r\n10 V1\r\n[Info]\r\n\r\nnote\r\n[Data]\r\n"),
              std::string::npos);
    Opened o = open(file);
    EXPECT_EQ(o.controls.lines("Memo2"), (std::vector<std::string>{"10 V1", "", "10 V1"}));
    EXPECT_EQ(o.controls.lines("Memo1"), (std::vector<std::string>{"", "note"}));
}

// Lines that are exactly a section header would cut the program, replace the description
// or add points on reading; they are written with a blank after them.
TEST(DataFileWriter, LinesEqualToASectionHeaderAreWrittenSoTheFileReadsBackAsWritten) {
    FakeControls c = defaultControls();
    c.setChecked("UsingPotentiostat", false);
    c.setLines("Memo2", {"[Info]", "5,10", "[Setup]", "Period=5", "[Valves]"});
    c.setLines("Memo1", {"[Data]", "1\t2", "[data]", " [Info]"});
    const std::string file = writeDataFile(c, twoPoints(), DataColumns{});
    EXPECT_NE(file.find("[Valves]\r\n[Info] \r\n5,10\r\n[Setup] \r\nPeriod=5\r\n[Valves] \r\n"
                        "[Info]\r\n[Data] \r\n1\t2\r\n[data]\r\n [Info]\r\n[Data]\r\n"),
              std::string::npos)
        << file;

    Opened o = open(file);
    EXPECT_EQ(o.controls.lines("Memo2"),
              (std::vector<std::string>{"[Info] ", "5,10", "[Setup] ", "Period=5", "[Valves] "}));
    EXPECT_EQ(o.controls.lines("Memo1"),
              (std::vector<std::string>{"[Data] ", "1\t2", "[data]", " [Info]"}));
    EXPECT_EQ(o.controls.text("Edit6"), "100") << "no setting comes from the program";
    ASSERT_EQ(o.points.Count, 2) << "no point comes from the description";
    EXPECT_DOUBLE_EQ(o.points.Signals[1], 2.25e-9);
    // What was read is written again byte for byte.
    EXPECT_EQ(writeDataFile(o.controls, o.points, DataColumns{}), file);
}

TEST(DataFile, ThePotentiostatAddsACurrentColumnThatComesBack) {
    FakeControls c = defaultControls();
    c.setChecked("UsingPotentiostat", true);
    c.setItemIndex("TPotential.CUnits", 2); // uA
    PointStore p;
    p.startRun(100, true);
    p.append(0.0, 1.5e-9, -2.5e-6);
    p.append(0.1, 2.0e-9, 1.25e-6);
    DataColumns columns;
    columns.factors.current = 1e-6;
    const std::string file = writeDataFile(c, p, columns);
    EXPECT_TRUE(file.ends_with("[Data]\r\n0.00\t1.50\t-2.500\r\n0.10\t2.00\t1.250\r\n"));

    // Opened into a window where the box is off: the file's setting switches it on first.
    FakeControls start = defaultControls();
    start.setChecked("UsingPotentiostat", false);
    Opened o = open(file, start);
    EXPECT_TRUE(o.controls.checked("UsingPotentiostat"));
    ASSERT_EQ(o.points.Count, 2);
    ASSERT_TRUE(o.points.hasCurrents());
    EXPECT_DOUBLE_EQ(o.points.Currents[0], -2.5e-6);
    EXPECT_DOUBLE_EQ(o.points.Currents[1], 1.25e-6);
    EXPECT_DOUBLE_EQ(o.points.Signals[1], 2.0e-9);
    EXPECT_EQ(o.points.CurrentsLength, o.points.Capacity);
}

TEST(DataFileReader, RestoresTheSettingsThenRunsThePeriodAndScalingInOrder) {
    FakeControls c = defaultControls();
    c.setText("Edit6", "250");
    c.setItemIndex("ComboBox2", 1); // min
    c.setItemIndex("ComboBox1", 2); // uA
    c.setText("TPotential.PMin", "-500");
    c.setText("TPotential.PMax", "800");
    c.setText("TPotential.CMin", "-3");
    c.setText("TPotential.CMax", "4");
    c.setItemIndex("TPotential.Electrodes", 1);
    c.setChecked("TPotential.ElectrodesOff", true);
    c.setChecked("ShowValves", true);
    DataColumns columns;
    columns.factors = {60, 1e-6, 1e-12};
    columns.YDecimals = 5;
    const std::string file = writeDataFile(c, twoPoints(), columns);

    Opened o = open(file);
    EXPECT_EQ(o.calls, (std::vector<std::string>{"period 250", "scaling min"}));
    EXPECT_EQ(o.controls.text("TPotential.PMin"), "-500");
    EXPECT_EQ(o.controls.text("TPotential.PMax"), "800");
    EXPECT_EQ(o.controls.text("TPotential.CMin"), "-3");
    EXPECT_EQ(o.controls.text("TPotential.CMax"), "4");
    EXPECT_EQ(o.controls.itemIndex("TPotential.Electrodes"), 1);
    EXPECT_TRUE(o.controls.checked("TPotential.ElectrodesOff"));
    EXPECT_TRUE(o.controls.checked("ShowValves"));
    EXPECT_EQ(o.controls.itemText("ComboBox1"), "uA");
    EXPECT_EQ(o.controls.text("Label11"), "uA");
    // The data pass used the loaded units: the minutes column is read back as minutes.
    EXPECT_NEAR(o.points.Times[1], 0.1, 1e-3);
    EXPECT_NEAR(o.points.Signals[1], 2.25e-9, 1e-20);
}

struct UnitLineCase {
    const char* line;
    const char* selected;
};

class UnitLines : public ::testing::TestWithParam<UnitLineCase> {};

TEST_P(UnitLines, SelectOnlyAnExactEntry) {
    Opened o = open(std::string("[Setup]\r\n") + GetParam().line + "\r\n");
    EXPECT_EQ(o.controls.itemText("ComboBox1"), GetParam().selected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Lines, UnitLines,
                         ::testing::Values(UnitLineCase{"Y units=uA", "uA"},
                                           UnitLineCase{"Y units=UA", "nA"},
                                           UnitLineCase{"Y units=", "nA"},
                                           UnitLineCase{"Y units=pA", "pA"}));

struct FlagLineCase {
    const char* line;
    bool checked;
};

class FlagLines : public ::testing::TestWithParam<FlagLineCase> {};

TEST_P(FlagLines, OnlyLowerCaseTrueAndFalseChangeTheBox) {
    FakeControls start = defaultControls(); // "Using pump" is on
    Opened o = open(std::string("[Setup]\r\n") + GetParam().line + "\r\n", start);
    EXPECT_EQ(o.controls.checked("UsingPump"), GetParam().checked) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Lines, FlagLines,
                         ::testing::Values(FlagLineCase{"Using pump=false", false},
                                           FlagLineCase{"Using pump=FALSE", true},
                                           FlagLineCase{"Using pump=0", true},
                                           FlagLineCase{"Using pump=true", true}));

TEST(DataFileReader, AKeyCountsOnlyAtTheStartOfItsLine) {
    Opened o = open("[Setup]\r\nPotential=0;Zero=5\r\nUnknown=1\r\nPump=Period=3\r\n");
    EXPECT_EQ(o.controls.text("PotentialEdit"), "0;Zero=5");
    EXPECT_EQ(o.controls.text("Edit8"), "0");
    EXPECT_EQ(o.controls.text("PumpEdit"), "Period=3");
    EXPECT_EQ(o.controls.text("Edit6"), "100");
}

TEST(DataFileReader, ElectrodesLineSelectsTheElectrodeSystem) {
    for (auto [line, expected] : {std::pair{"Electrodes=1", 1}, {"Electrodes=-1", -1},
                                  {"Electrodes=7", 0}, {"Electrodes=x", 0}}) {
        Opened o = open(std::string("[Setup]\r\n") + line + "\r\n");
        EXPECT_EQ(o.controls.itemIndex("TPotential.Electrodes"), expected) << line;
    }
}

TEST(DataFileReader, LinesWithBracketsComeBackWhole) {
    FakeControls c = defaultControls();
    c.setLines("Memo1", {"sample [A] from lab", "[Data", "end"});
    c.setLines("Memo2", {"[5] V1", "x"});
    c.setText("PotentialEdit", "[0]");
    Opened o = open(writeDataFile(c, twoPoints(), DataColumns{}));
    EXPECT_EQ(o.controls.lines("Memo1"), c.lines("Memo1"));
    EXPECT_EQ(o.controls.lines("Memo2"), c.lines("Memo2"));
    EXPECT_EQ(o.controls.text("PotentialEdit"), "[0]");
    EXPECT_EQ(o.points.Count, 2);
}

TEST(DataFileReader, NumbersThatTheUnitTakesBeyondAnyDoubleReadAsZero) {
    Opened o = open("[Setup]\r\nX units=h\r\nY units=A\r\nUsing potentiostat=true\r\n"
                    "Current units=A\r\n[Data]\r\n1e306\t1e308\t-1e308\r\n0.5\t2\t-3\r\n");
    ASSERT_EQ(o.points.Count, 2);
    EXPECT_EQ(o.points.Times[0], 0.0) << "1e306 h is beyond a double in seconds";
    EXPECT_EQ(o.points.Signals[0], 1e308) << "in amperes it fits";
    EXPECT_EQ(o.points.Currents[0], -1e308);
    EXPECT_EQ(o.points.Times[1], 1800.0);
}

TEST(DataFileReader, AnEmptyDescriptionStaysEmpty) {
    FakeControls start = defaultControls();
    start.setLines("Memo1", {"old text"});
    Opened o = open(writeDataFile(defaultControls(), twoPoints(), DataColumns{}), start);
    EXPECT_TRUE(o.controls.lines("Memo1").empty());
    EXPECT_TRUE(o.controls.lines("Memo2").empty());
}

TEST(DataFileReader, MissingSectionsGiveNoChangesAndNoPoints) {
    FakeControls start = defaultControls();
    start.setText("Edit6", "7");
    start.setLines("Memo1", {"old"});
    Opened o = open("no sections here\r\n1\t2\r\n", start);
    EXPECT_FALSE(o.result.setupFound || o.result.infoFound || o.result.valvesFound ||
                 o.result.dataFound);
    EXPECT_EQ(o.controls.text("Edit6"), "7");
    EXPECT_TRUE(o.controls.lines("Memo1").empty());
    EXPECT_EQ(o.points.Count, 0);
    EXPECT_EQ(o.calls.size(), 2u);
}

TEST(DataFileReader, ReadsAnyLineEndAndUnreadableNumbersAsZero) {
    Opened o = open("[Setup]\rUsing potentiostat=false\r[Data]\n1.5\t2\n"
                    "abc\t1e999\r\n\n3\r\n4\t5\t6\r\n  7\t 8");
    ASSERT_EQ(o.points.Count, 6);
    const double nA = 1e-9;
    const std::vector<double> times{1.5, 0, 0, 3, 4, 7};
    const std::vector<double> signals{2 * nA, 0, 0, 0, 0, 8 * nA};
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(o.points.Times[static_cast<std::size_t>(i)], times[static_cast<std::size_t>(i)]) << i;
        EXPECT_DOUBLE_EQ(o.points.Signals[static_cast<std::size_t>(i)], signals[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_FALSE(o.points.hasCurrents());
}

TEST(DataFileReader, CapacityGrowsInStepsOfAHundred) {
    for (auto [lines, capacity] : {std::pair{99, 100}, {100, 200}, {250, 300}}) {
        std::string file = "[Data]\r\n";
        for (int i = 0; i < lines; ++i) file += "1\t1\r\n";
        Opened o = open(file);
        EXPECT_EQ(o.points.Count, lines);
        EXPECT_EQ(o.points.Capacity, capacity) << lines;
    }
}

struct DecimalsCase {
    int XDecimals;
    double period;     // s
    double unitFactor; // s per axis unit
    int expected;
};

class TimeDecimals : public ::testing::TestWithParam<DecimalsCase> {};

TEST_P(TimeDecimals, KeepConsecutivePointsApart) {
    const DecimalsCase& c = GetParam();
    EXPECT_EQ(timeColumnDecimals(c.XDecimals, c.period, c.unitFactor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, TimeDecimals,
    ::testing::Values(DecimalsCase{2, 0.1, 1, 2},      // default axes: unchanged
                      DecimalsCase{2, 1, 1, 2},        // whole seconds
                      DecimalsCase{3, 0.1, 1, 3},      // never fewer than the axis gives
                      DecimalsCase{0, 0.25, 1, 2},     // exact at two decimals
                      DecimalsCase{2, 0.1, 60, 5},     // 0 .. 60 min, 100 ms
                      DecimalsCase{1, 1, 3600, 6},     // hours, 1 s
                      DecimalsCase{2, 0.001, 1, 3},    // 1 ms
                      DecimalsCase{2, 0, 1, 2},        // no period: the axis decides
                      DecimalsCase{2, 1e-300, 1, 15})); // bounded

TEST(DataFileWriter, AMinuteAxisNoLongerWritesRepeatedTimes) {
    FakeControls c = defaultControls();
    c.setChecked("UsingPotentiostat", false);
    c.setItemIndex("ComboBox2", 1);
    PointStore p;
    p.startRun(100, false);
    for (int i = 0; i < 10; ++i) p.append(i * 0.1, 1e-9);
    DataColumns columns;
    columns.factors.time = 60;
    Opened o = open(writeDataFile(c, p, columns));
    ASSERT_EQ(o.points.Count, 10);
    for (std::size_t i = 1; i < 10; ++i) {
        EXPECT_GT(o.points.Times[i], o.points.Times[i - 1]);
        EXPECT_NEAR(o.points.Times[i], static_cast<double>(i) * 0.1, 0.0006);
    }
}

TEST(DataFile, EveryTypedCharacterSurvivesAndTheBytesRepeat) {
    for (const char* sample : {"Grüße, µA und ß", "Ω ≠ 5 µA"}) {
        FakeControls c = defaultControls();
        c.setLines("Memo1", {sample, "zweite Zeile"});
        c.setLines("Memo2", {sample});
        c.setText("PotentialEdit", sample);
        const std::string file = writeDataFile(c, twoPoints(), DataColumns{});
        Opened o = open(file);
        EXPECT_EQ(o.controls.lines("Memo1"), c.lines("Memo1"));
        EXPECT_EQ(o.controls.lines("Memo2"), c.lines("Memo2"));
        EXPECT_EQ(o.controls.text("PotentialEdit"), sample);
        EXPECT_EQ(writeDataFile(o.controls, o.points, DataColumns{}), file) << sample;
    }
    // The first sample fits the code page, so it is written in it.
    FakeControls c = defaultControls();
    c.setLines("Memo1", {"µ"});
    EXPECT_NE(writeDataFile(c, PointStore{}, DataColumns{}).find("[Info]\r\n\xB5\r\n"),
              std::string::npos);
}

TEST(DataFileReader, ReadsAFileInTheCodePage) {
    std::string bytes;
    ASSERT_FALSE(readWholeFile(VARENTIS_TEST_DATA "/two_points_cp1252.vrd", bytes));
    Opened o = open(bytes);
    EXPECT_EQ(o.controls.lines("Memo1"),
              std::vector<std::string>{"Luminol-Probe, Küvette 2, 5 µA"});
    EXPECT_EQ(o.controls.lines("Memo2"), (std::vector<std::string>{"10 V1 V2", "20 V3"}));
    ASSERT_EQ(o.points.Count, 2);
    EXPECT_DOUBLE_EQ(o.points.Times[1], 0.1);
    EXPECT_DOUBLE_EQ(o.points.Signals[1], 2.25 * 1e-9);
    // Written again from what was read, the file is the same bytes.
    EXPECT_EQ(writeDataFile(o.controls, o.points, DataColumns{}), bytes);
}

namespace {

// The data pass as the rules state it, plainly: the whole file decoded, the first line
// equal to "[Data]" found, every line after it split at its tabs and read with readNumber.
struct PlainPoints {
    std::vector<double> times, signals, currents;
};

PlainPoints plainDataPass(std::string_view bytes, bool withCurrents, const ColumnFactors& f) {
    PlainPoints p;
    const std::string text = decodeFileText(bytes);
    bool inData = false;
    forEachLine(text, [&](std::string_view line) {
        if (!inData) {
            inData = line == "[Data]";
            return;
        }
        const std::size_t tab1 = line.find('\t');
        std::string_view signal, current;
        if (tab1 != std::string_view::npos) {
            std::string_view rest = line.substr(tab1 + 1);
            const std::size_t tab2 = withCurrents ? rest.find('\t') : std::string_view::npos;
            signal = rest.substr(0, tab2);
            if (tab2 != std::string_view::npos) current = rest.substr(tab2 + 1);
        }
        p.times.push_back(readNumber(line.substr(0, tab1)) * f.time);
        p.signals.push_back(readNumber(signal) * f.signal);
        if (withCurrents) p.currents.push_back(readNumber(current) * f.current);
    });
    return p;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void expectPlainResult(const std::string& bytes) {
    Opened o = open(bytes);
    const bool withCurrents = o.controls.checked("UsingPotentiostat");
    const PlainPoints plain = plainDataPass(bytes, withCurrents, {1.0, 1e-9, 1e-12});
    ASSERT_EQ(static_cast<std::size_t>(o.points.Count), plain.times.size()) << bytes;
    EXPECT_TRUE(sameBits(o.points.Times, plain.times)) << bytes;
    EXPECT_TRUE(sameBits(o.points.Signals, plain.signals)) << bytes;
    EXPECT_TRUE(sameBits(o.points.Currents, plain.currents)) << bytes;
}

} // namespace

// The reader parses the data section in place, quickly where the lines are plain decimals;
// every other line, and every other file, must read exactly as the line-by-line rules say.
TEST(DataFileReader, ReadsTheDataSectionAsTheLineByLineRulesSay) {
    const std::string head = std::string(kDefaultSetup) + "[Valves]\r\n[Info]\r\nL\xF6sung\r\n";
    const std::string heads[] = {
        head,                                                    // Windows-1252
        std::string(kDefaultSetup) + "[Info]\r\nL\xC3\xB6sung\r\n", // UTF-8
        "\xEF\xBB\xBF" + std::string(kDefaultSetup),              // UTF-8 with a mark
    };
    const char* const bodies[] = {
        "0.00\t1.50\r\n0.10\t2.25\r\n",
        "0.00\t1.50\t-2.500\r\n0.10\t2.25\r\n0.20\r\n\r\n",
        "  1.5\t 2\r\n1.5 \t2\r\n\t5\r\n1\t\t2\r\n+3\t-0\r\n.5\t5.\r\n",
        "1e3\t2E-2\t3e+1\r\n1\t2\t3\t4\r\nabc\tdef\r\n-\t.\r\n1e999\tnan\r\n",
        "0.1\t1.2\r0.2\t2.3\n0.3\t3.4\n\r0.4\t4.5",             // CR, LF, LF CR, no end
        "12345678901234567890\t0.12345678901234567890123\r\n9007199254740993\t1\r\n",
        "1\t2\r\n[Info]\r\nlate description\r\n3\t4\r\n",          // a header among the data
        "1\t2\r\n\xB5\t3\r\n4\t\xC3\xA9\r\n",                       // bytes beyond ASCII
        "",
    };
    for (const std::string& h : heads) {
        for (const char* body : bodies) {
            for (const char* flag : {"Using potentiostat=true", "Using potentiostat=false"}) {
                std::string bytes = h + "[Data]\r\n" + body;
                const std::size_t at = bytes.find("Using potentiostat=false");
                if (at != std::string::npos) bytes.replace(at, 24, flag);
                expectPlainResult(bytes);
            }
        }
    }
    // A file whose description follows its data comes back as before.
    Opened late = open(std::string(kDefaultSetup) + "[Data]\r\n1\t2\r\n[Info]\r\nlate\r\n");
    EXPECT_EQ(late.controls.lines("Memo1"), std::vector<std::string>{"late"});
}

TEST(DataFileReader, MutatedDataSectionsReadAsTheLineByLineRulesSay) {
    std::mt19937 rng(11);
    const std::string alphabet = "0123456789.-+eE \t\r\n[x\xB5";
    for (int round = 0; round < 2000; ++round) {
        std::string body;
        for (int i = 0; i < 20; ++i) {
            body += text(std::ldexp(static_cast<double>(rng() % 100000), -4), 2) + "\t" +
                    text(static_cast<double>(rng() % 20000) / 7.0 - 1000, 3) + "\t" +
                    text(static_cast<double>(rng() % 1000) - 500, 1) + "\r\n";
        }
        const int edits = static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e)
            body[rng() % body.size()] = alphabet[rng() % alphabet.size()];
        const char* flag = rng() % 2 ? "Using potentiostat=true" : "Using potentiostat=false";
        std::string bytes = std::string(kDefaultSetup) + "[Data]\r\n" + body;
        bytes.replace(bytes.find("Using potentiostat=false"), 24, flag);
        expectPlainResult(bytes);
        if (HasFailure()) break;
    }
}
