#include "AppFixture.h"

#include "widgets/PaintBox.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace varentis;
using namespace varentis::test;

namespace {

constexpr std::uint8_t kValves1to4 = 0x70, kValves5to8 = 0x72, kValves9to12 = 0x71;
constexpr std::uint8_t kPumpSpeed = 0x80, kPumpDirection = 0x81;

class ValveTest : public AppTest {
protected:
    QPlainTextEdit* memo() const { return control<QPlainTextEdit>("Memo2"); }
    QCheckBox* box(int valve) const {
        return control<QCheckBox>(("CheckBox" + std::to_string(valve + 2)).c_str());
    }
    // Types the program into Memo2 key by key, as the operator does, and lets the redraw
    // that the typing asked for happen.
    void typeProgram(const QStringList& lines) {
        memo()->clear();
        memo()->setFocus();
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0) QTest::keyClick(memo(), Qt::Key_Return);
            QTest::keyClicks(memo(), lines[i]);
        }
        redraw();
    }
    void redraw() {
        EXPECT_TRUE(form->timer2().isActive()) << "the change asked for a redraw";
        form->Timer2Timer();
    }
    void setField(const char* name, const QString& text) {
        edit(name)->selectAll();
        QTest::keyClicks(edit(name), text);
    }
    // The valve register writes since the record was cleared, as "70=03" texts.
    std::vector<std::string> valveWrites() const {
        std::vector<std::string> out;
        char text[8];
        for (const RegisterWrite& w : sim.registerWrites())
            if (w.address == kValves1to4 || w.address == kValves5to8 || w.address == kValves9to12) {
                std::snprintf(text, sizeof text, "%02X=%02X", w.address, w.value);
                out.emplace_back(text);
            }
        return out;
    }
    // Ticks until the run's time within the cycle has passed `seconds`.
    void ticksUntilPoint(double seconds) {
        for (int i = 0; i < 2000 && form->store().Count == 0; ++i) ticks(1);
        for (int i = 0; i < 2000 && form->store().Times[form->store().Count - 1] < seconds; ++i)
            ticks(1);
    }
};

TEST_F(ValveTest, LanesCheckBoxesAndPlotFollowTheProgram) {
    openWindow();
    control<QCheckBox>("ShowValves")->setChecked(true);
    QStringList twelve;
    for (int v = 12; v >= 1; --v) twelve << QString("V%1=1,1").arg(v);
    const struct {
        const char* what;
        QStringList program;
        bool show;
        int boxHeight, plotTop;
        int boxesShown;
        std::vector<int> valves; // some valves with a box, at these tops
        std::vector<int> tops;
    } cases[] = {
        {"no valve", {"5,10"}, true, 2, 56, 0, {}, {}},
        {"one valve", {"V3=5,5"}, true, 16, 70, 1, {3}, {48}},
        {"twelve valves", twelve, true, 170, 224, 12, {12, 7, 1}, {48, 118, 202}},
        {"show valves unticked", twelve, false, 170, 48, 0, {}, {}},
    };
    const int frameBottom = control<PaintBox>("PaintBox1")->geometry().bottom();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (control<QCheckBox>("ShowValves")->isChecked() != c.show)
            QTest::mouseClick(control<QCheckBox>("ShowValves"), Qt::LeftButton);
        typeProgram(c.program);
        const auto* valveGraph = control<PaintBox>("PaintBox3");
        const auto* plot = control<PaintBox>("PaintBox2");
        EXPECT_EQ(valveGraph->isVisible(), c.show);
        if (c.show) {
            EXPECT_EQ(valveGraph->geometry(), QRect(plot->x(), 48, plot->width(), c.boxHeight));
        }
        EXPECT_EQ(plot->y(), c.plotTop);
        EXPECT_EQ(plot->geometry().bottom(), frameBottom - 20) << "the plot keeps its bottom";
        EXPECT_EQ(control<QLabel>("Label5")->y(), c.plotTop - 4);
        int visible = 0;
        for (int v = 1; v <= 12; ++v) visible += box(v)->isVisible();
        EXPECT_EQ(visible, c.boxesShown);
        for (std::size_t i = 0; i < c.valves.size(); ++i) {
            const int v = c.valves[i];
            EXPECT_TRUE(box(v)->isVisible()) << "V" << v;
            EXPECT_EQ(box(v)->text(), QString("V%1").arg(v));
            EXPECT_EQ(box(v)->y(), c.tops[i]) << "V" << v;
        }
    }
}

TEST_F(ValveTest, MovingThePlotBelowTheLanesSettlesAfterOneMoreRedraw) {
    openWindow();
    QTest::qWait(300);
    QTest::mouseClick(control<QCheckBox>("ShowValves"), Qt::LeftButton);
    memo()->setPlainText("V1=1\nV2=2\nV3=3");
    QTest::qWait(600);
    EXPECT_EQ(control<PaintBox>("PaintBox2")->y(), 48 + 3 * 14 + 8);
    // The plot's new size is drawn by the redraw its move asked for; then all is quiet.
    const int settled = form->redrawCount();
    EXPECT_DOUBLE_EQ(form->plot().scale().YScale, control<PaintBox>("PaintBox2")->height() / 100e-9)
        << "the scale is that of the plot's new height";
    QTest::qWait(500);
    EXPECT_EQ(form->redrawCount(), settled);
}

TEST_F(ValveTest, TheValveGraphShowsTheWaveOfTheTypedProgram) {
    openWindow();
    QTest::mouseClick(control<QCheckBox>("ShowValves"), Qt::LeftButton);
    typeProgram({"V1=50,25"});
    const QImage& image = control<PaintBox>("PaintBox3")->image();
    ASSERT_EQ(image.height(), 16);
    const int width = image.width();
    // Default time axis 0 .. 100 s, cycle 30 s: low to 50 s... cut at 30 s, so low all the
    // first cycle; the wave's rows are 13 (closed) and 5 (open).
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(image.pixel(width / 10, 13), black) << "closed at 10 s";
    EXPECT_NE(image.pixel(width / 10, 5), black);
    typeProgram({"V1=10,5"});
    const QImage& again = control<PaintBox>("PaintBox3")->image();
    const int x12 = width * 12 / 100; // 12 s: open
    const int x20 = width * 20 / 100; // 20 s: closed
    EXPECT_EQ(again.pixel(x12, 5), black);
    EXPECT_NE(again.pixel(x12, 13), black);
    EXPECT_EQ(again.pixel(x20, 13), black);
    EXPECT_EQ(again.pixel(width * 42 / 100, 5), black) << "open again 12 s into the second cycle";
}

TEST_F(ValveTest, TheRunSwitchesTheProgrammedStepsAndThePauseAndStopStates) {
    openWindow();
    setField("Edit10", "1");
    typeProgram({"V1=0.3,0.3,SA", "V9=0.1,0.4,PA", "V6=0,0.2"});
    sim.clearRecord();
    startRun();
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=00", "72=0C", "71=00"}))
        << "step 0: V6 open from the start";
    EXPECT_TRUE(box(6)->isChecked());

    sim.clearRecord();
    ticksUntilPoint(0.65);
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=00", "72=0C", "71=03",   // 0.1 s
                                                       "70=00", "72=00", "71=03",   // 0.2 s
                                                       "70=03", "72=00", "71=03",   // 0.3 s
                                                       "70=03", "72=00", "71=00",   // 0.5 s
                                                       "70=00", "72=00", "71=00"})) // 0.6 s
        << "each step writes all three registers in order";

    sim.clearRecord();
    click("BitBtn2");
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=00", "72=00", "71=03"}))
        << "the pause state opens V9";
    EXPECT_TRUE(box(9)->isChecked());
    sim.clearRecord();
    ticks(2);
    EXPECT_TRUE(valveWrites().empty()) << "nothing is switched in a pause";
    click("BitBtn1");
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=00", "72=00", "71=00"}))
        << "resume applies the state of the step in force";

    sim.clearRecord();
    click("BitBtn3");
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=03", "72=00", "71=00"}))
        << "the stop state opens V1";
    EXPECT_EQ(sim.valveMask(), 0x001);
    EXPECT_TRUE(box(1)->isChecked());
    EXPECT_FALSE(box(9)->isChecked());
}

TEST_F(ValveTest, TheNextCycleStartsAgainFromStepZero) {
    openWindow();
    setField("Edit10", "0.5");
    typeProgram({"V2=0.2"});
    startRun();
    sim.clearRecord();
    ticksUntilPoint(0.75);
    // Open at 0.2 s, closed at the wrap (0.5 s), open at 0.7 s.
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=0C", "72=00", "71=00",
                                                       "70=00", "72=00", "71=00",
                                                       "70=0C", "72=00", "71=00"}));
    click("BitBtn3");
}

TEST_F(ValveTest, ABoxSwitchesItsValveAtOnceUntilTheNextStep) {
    openWindow();
    setField("Edit10", "1");
    QTest::mouseClick(control<QCheckBox>("ShowValves"), Qt::LeftButton);
    typeProgram({"V1=0.4", "V4=0.6,0.2"});
    startRun();
    ticks(1);
    ASSERT_LT(form->store().Times[form->store().Count - 1], 0.3);
    sim.clearRecord();
    QTest::mouseClick(box(4), Qt::LeftButton);
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=C0", "72=00", "71=00"}))
        << "V4 opens at once, during the run";
    EXPECT_EQ(sim.valveMask(), 0x008);
    ticksUntilPoint(0.45);
    EXPECT_EQ(sim.valveMask(), 0x001) << "the step at 0.4 s sets all valves again";
    EXPECT_FALSE(box(4)->isChecked());
    EXPECT_TRUE(box(1)->isChecked());
    click("BitBtn3");

    // Also with the run stopped and "Valve using" unticked.
    QTest::mouseClick(control<QCheckBox>("UsingValves"), Qt::LeftButton);
    ASSERT_FALSE(control<QCheckBox>("UsingValves")->isChecked());
    sim.clearRecord();
    QTest::mouseClick(box(1), Qt::LeftButton);
    EXPECT_EQ(valveWrites(), (std::vector<std::string>{"70=03", "72=00", "71=00"}))
        << "V1 opens";
    QTest::mouseClick(box(4), Qt::LeftButton);
    EXPECT_EQ(sim.valveMask(), 0x009);
    QTest::mouseClick(box(1), Qt::LeftButton);
    EXPECT_EQ(sim.valveMask(), 0x008) << "and closes again";
}

TEST_F(ValveTest, WithoutValveUsingTheRunSwitchesNoValve) {
    openWindow();
    setField("Edit10", "1");
    typeProgram({"V1=0.1,0.1,SA", "V2=0,PA"});
    QTest::mouseClick(control<QCheckBox>("UsingValves"), Qt::LeftButton);
    sim.clearRecord();
    startRun();
    ticksUntilPoint(0.5);
    click("BitBtn2");
    click("BitBtn1");
    click("BitBtn3");
    EXPECT_TRUE(valveWrites().empty());
    EXPECT_FALSE(box(1)->isChecked());
    EXPECT_FALSE(box(2)->isChecked());
}

TEST_F(ValveTest, ShowValvesUntickedHidesTheGraphButTheRunStillSwitches) {
    openWindow();
    setField("Edit10", "1");
    typeProgram({"V3=0.2,0.2"});
    ASSERT_FALSE(control<QCheckBox>("ShowValves")->isChecked());
    EXPECT_FALSE(control<PaintBox>("PaintBox3")->isVisible());
    EXPECT_FALSE(box(3)->isVisible());
    sim.clearRecord();
    startRun();
    ticksUntilPoint(0.3);
    EXPECT_EQ(sim.valveMask(), 0x004);
    click("BitBtn3");
}

TEST_F(ValveTest, ThePumpFollowsItsTypedProgram) {
    openWindow();
    setField("Edit10", "1");
    setField("PumpEdit", "100(0.2),0(0.1),-50");
    redraw();
    sim.clearRecord();
    startRun();
    ticksUntilPoint(0.5);
    std::vector<std::pair<int, int>> steps; // (speed, direction) as they change
    int speed = -1;
    for (const RegisterWrite& w : sim.registerWrites()) {
        if (w.address == kPumpSpeed) speed = w.value;
        if (w.address == kPumpDirection &&
            (steps.empty() || steps.back() != std::pair{speed, static_cast<int>(w.value)}))
            steps.emplace_back(speed, w.value);
    }
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{255, 1}, {0, 0}, {128, 3}}));
    click("BitBtn3");
    EXPECT_EQ(sim.pumpDirection(), 0) << "Stop stops the pump";
}

TEST_F(ValveTest, AProgramEditedDuringARunTakesEffectAtItsNextStep) {
    openWindow();
    setField("Edit10", "1");
    typeProgram({"V1=0.5"});
    startRun();
    ticks(2);
    typeProgram({"V2=0.5"});
    ticksUntilPoint(0.6);
    EXPECT_EQ(sim.valveMask(), 0x002);
    click("BitBtn3");
}

// The first-run example of the README and the help: the simulated flow cell shows one peak
// per cycle where V1 injects the sample.
TEST_F(ValveTest, V1InjectingEveryCycleGivesOnePeakPerCycle) {
    openWindow();
    typeProgram({"V1=5,2"});
    // The sample glows only while the electrode oxidises it.
    edit("PotentialEdit")->selectAll();
    QTest::keyClicks(edit("PotentialEdit"), "1000");
    ASSERT_EQ(edit("Edit10")->text(), "30");
    ASSERT_EQ(edit("PumpEdit")->text(), "50");
    startRun();
    ticksUntilPoint(95.0);
    click("BitBtn3");
    const PointStore& points = form->store();
    const double axisTop = 100e-9;
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        double peak = 0, peakTime = 0, quiet = 0;
        for (int i = 0; i < points.Count; ++i) {
            const double t = points.Times[i] - 30.0 * cycle;
            if (t >= 0 && t < 30 && points.Signals[i] > peak) {
                peak = points.Signals[i];
                peakTime = t;
            }
            if (t >= 0 && t < 7) quiet = std::max(quiet, points.Signals[i]);
        }
        EXPECT_GT(peak, quiet + 30e-9) << "one clear peak";
        EXPECT_LT(peak, axisTop) << "inside the default signal axis";
        EXPECT_GT(peakTime, 7.0);
        EXPECT_LT(peakTime, 15.0);
    }
}

} // namespace
