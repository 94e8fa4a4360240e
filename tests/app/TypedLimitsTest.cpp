// Decisions the program takes on numbers the operator types: the detector range a run
// switches on, the maximum-time stop, the decimals of the read-outs and the zero line's row.
// Each is fed the texts as typed into the window's fields; in doubles several of them would
// land on the wrong side of an equality or a half.
#include "AppFixture.h"

#include "widgets/PaintBox.h"

using namespace varentis;
using namespace varentis::test;

namespace {

class TypedLimitsTest : public AppTest {
protected:
    // Replaces the text of a field as the operator does: select all, type.
    void type(const char* name, const char* text) {
        edit(name)->selectAll();
        QTest::keyClicks(edit(name), text);
    }
    // The redraw that typing asked for, 100 ms later.
    void redraw() {
        ASSERT_TRUE(form->timer2().isActive());
        form->Timer2Timer();
    }
    // The register writes since the last clear, to the addresses given.
    std::vector<RegisterWrite> writesTo(std::initializer_list<std::uint8_t> addresses) const {
        std::vector<RegisterWrite> out;
        for (const RegisterWrite& w : sim.registerWrites())
            if (std::find(addresses.begin(), addresses.end(), w.address) != addresses.end())
                out.push_back(w);
        return out;
    }
};

// The signal axis selects the detector's range at the start of a run: the most sensitive
// range whose full scale holds the larger of |Y min - Zero| and |Y max + Zero|. A limit
// exactly at a full scale selects that range.
TEST_F(TypedLimitsTest, DetectorRangeFollowsTheTypedSignalAxis) {
    const struct {
        const char *yMin, *yMax, *zero;
        const char* unit;
        std::uint8_t range;
    } cases[] = {
        {"0", "100", "0", "nA", 4},    {"0", "1000", "0", "nA", 3},  {"-100", "100", "0", "nA", 4},
        {"0", "10", "90", "nA", 4},    {"0", "0.1", "0", "uA", 4},   {"0", "10", "0", "nA", 5},
        {"0", "100.1", "0", "nA", 3},  {"-1", "0.5", "0", "mA", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.yMin) + " .. " + c.yMax + " " + c.unit + ", zero " + c.zero);
        openWindow();
        control<QComboBox>("ComboBox1")->setCurrentText(c.unit);
        type("Edit2", c.yMin);
        type("Edit3", c.yMax);
        type("Edit8", c.zero);
        redraw(); // the zero line takes effect; the run's own redraw then chooses the range
        sim.clearRecord();
        click("BitBtn1");
        ASSERT_EQ(form->runState(), RunState::Running);
        // The switch-on: converter at 0 V, the range with the high voltage still off, the
        // voltage, then the range with the high voltage on.
        const std::vector<RegisterWrite> pmt = writesTo({0x90, 0x91, 0x92, 0xA2});
        ASSERT_GE(pmt.size(), 7u);
        EXPECT_EQ(pmt[2], (RegisterWrite{0x92, 10}));
        EXPECT_EQ(pmt[3], (RegisterWrite{0xA2, c.range}));
        EXPECT_EQ(pmt[6], (RegisterWrite{0xA2, static_cast<std::uint8_t>(c.range | 0x08)}));
        EXPECT_EQ(sim.pmtControl(), c.range | 0x08);
        click("BitBtn3");
    }
}

// The "0" caption stands 6 pixels above the zero line, which lies at the plot's height times
// Y max / (Y max - Y min), a half going to the even row.
TEST_F(TypedLimitsTest, ZeroLineRowOfAnOddPlotHeightRoundsHalfToEven) {
    openWindow();
    auto* plot = control<PaintBox>("PaintBox2");
    form->resize(form->width(), form->height() + 433 - plot->height());
    ASSERT_EQ(plot->height(), 433);
    const struct {
        const char *yMin, *yMax;
        int row;
    } cases[] = {{"-50", "50", 216}, {"-0.5", "0.5", 216}, {"-1", "3", 325}, {"-30", "10", 108}};
    for (const auto& c : cases) {
        type("Edit2", c.yMin);
        type("Edit3", c.yMax);
        redraw();
        ASSERT_EQ(plot->height(), 433);
        auto* label = control<QLabel>("Label9");
        EXPECT_TRUE(label->isVisibleTo(form));
        EXPECT_EQ(label->y() + 6 - plot->y(), c.row) << c.yMin << " .. " << c.yMax;
    }
}

// "Stop if max time" with a period of 100 ms: the last point stored is the one before
// X max, and the run stops in the tick that stored it.
TEST_F(TypedLimitsTest, MaxTimeStopAtATenthOfASecondStoresThePointsBeforeXMax) {
    const struct {
        const char* xMax;
        int points;
        double last; // s
    } cases[] = {{"10", 100, 9.9}, {"2.5", 25, 2.4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("X max ") + c.xMax);
        openWindow();
        ASSERT_EQ(edit("Edit6")->text(), "100");
        ASSERT_EQ(control<QComboBox>("ComboBox3")->currentText(), "ms");
        type("Edit5", c.xMax);
        action("Stopifmaxtime1")->trigger();
        ASSERT_TRUE(action("Stopifmaxtime1")->isChecked());
        startRun();
        for (int i = 0; i < 1000 && form->runState() == RunState::Running; ++i) ticks(1);
        EXPECT_EQ(form->runState(), RunState::Stopped);
        ASSERT_EQ(form->store().Count, c.points);
        EXPECT_NEAR(form->store().Times[static_cast<std::size_t>(c.points - 1)], c.last, 1e-9);
        EXPECT_EQ(sim.pmtControl() & 0x08, 0) << "the stop switched the detector off";
    }
}

// The read-outs print as many decimals as the axis gives: a span of exactly a tenth of the
// magnitude adds no decimal.
TEST_F(TypedLimitsTest, ReadoutDecimalsFollowTheTypedSignalAxis) {
    const struct {
        const char *yMin, *yMax;
        int decimals;
    } cases[] = {{"0.9", "1", 4}, {"1.8", "2", 3}, {"9.9", "10", 4}, {"9.9", "11", 2},
                 {"0.91", "1", 5}};
    for (const auto& c : cases) {
        openWindow();
        type("Edit2", c.yMin);
        type("Edit3", c.yMax);
        redraw();
        startRun();
        ticks(1);
        const QString shown = panel("Panel7");
        click("BitBtn3");
        ASSERT_TRUE(shown.endsWith(" nA")) << shown.toStdString();
        const QString number = shown.chopped(3);
        EXPECT_EQ(number.size() - number.indexOf('.') - 1, c.decimals)
            << c.yMin << " .. " << c.yMax << ": " << shown.toStdString();
    }
}

} // namespace
