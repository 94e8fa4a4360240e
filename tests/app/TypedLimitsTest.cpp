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

} // namespace
