#include "documents/FakeControls.h"

#include "app/MainRunView.h"
#include "app/PlotSurface.h"
#include "app/PlotView.h"
#include "app/RunWindow.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <array>

using namespace varentis;

namespace {

class FakePlotSurface : public PlotSurface {
public:
    QImage& plotImage() override { return plot; }
    int plotWidth() const override { return plot.width(); }
    int plotHeight() const override { return plot.height(); }
    void showPlot() override {}
    void placeValveGraph(const ValveLanes&) override {}
    QImage& valveImage() override { return valves; }
    int valveWidth() const override { return valves.width(); }
    int valveHeight() const override { return valves.height(); }
    void showValveGraph() override {}
    void setAxisCaption(int index, const QString& text) override { captions[index] = text; }
    void placeZeroLabel(bool, int) override {}

    QImage plot{400, 300, QImage::Format_RGB32};
    QImage valves{400, 40, QImage::Format_RGB32};
    std::array<QString, 4> captions;
};

class FakeRunWindow : public RunWindow {
public:
    void enableRunCommands(bool run, bool pause, bool stop, bool deviceTest) override {
        enabled = {run, pause, stop, deviceTest};
    }
    void showValves(std::uint16_t mask) override { valveMask = mask; }

    std::array<bool, 4> enabled{};
    std::uint16_t valveMask = 0;
};

class PlotPartsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fields.setText("Edit4", "0");
        fields.setText("Edit5", "60");
        fields.setText("Edit2", "0");
        fields.setText("Edit3", "100");
        plot.XYFactors();
    }
    std::array<std::string, 4> axisTexts() const {
        return {fields.text("Edit4"), fields.text("Edit5"), fields.text("Edit2"),
                fields.text("Edit3")};
    }
    void drag(int x0, int y0, int x1, int y1) {
        plot.PaintBox2MouseDown(Qt::RightButton, x0, y0, RunState::Stopped);
        plot.PaintBox2MouseMove(x1, y1);
        plot.PaintBox2MouseUp(x1, y1);
    }

    FakeControls fields = defaultControls();
    PointStore points;
    FakePlotSurface surface;
    PlotView plot{surface, fields, points};
    FakeRunWindow runWindow;
    MainRunView run{runWindow, fields, points, plot};
};

// Only a drag to the right and down zooms, into limits inside the ones shown; a double
// click gives back the limits from before the first zoom, however many followed.
TEST_F(PlotPartsTest, RightDragZoomsOnlyRightAndDownAndDoubleClickUnzoomsToTheTypedLimits) {
    struct Case {
        const char* name;
        int x0, y0, x1, y1;
        int zooms; // drags made one after the other
        bool zoomed;
    };
    const Case cases[] = {
        {"right and down", 40, 30, 300, 200, 1, true},
        {"twice", 40, 30, 300, 200, 2, true},
        {"to the left", 300, 30, 40, 200, 1, false},
        {"upwards", 40, 200, 300, 30, 1, false},
        {"a click", 100, 100, 100, 100, 1, false},
    };
    const std::array<std::string, 4> typed = {"0", "60", "0", "100"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fields.setText("Panel5", "");
        for (int i = 0; i < c.zooms; ++i) {
            drag(c.x0, c.y0, c.x1, c.y1);
            plot.XYFactors(); // the redraw the written fields ask for
        }
        EXPECT_EQ(plot.Zoomed, c.zoomed);
        EXPECT_EQ(fields.text("Panel5"), "Zoom");
        const std::array<std::string, 4> shown = axisTexts();
        if (c.zoomed) {
            const double xMin = readNumber(shown[0]), xMax = readNumber(shown[1]);
            const double yMin = readNumber(shown[2]), yMax = readNumber(shown[3]);
            EXPECT_TRUE(0 < xMin && xMin < xMax && xMax < 60) << shown[0] << " " << shown[1];
            EXPECT_TRUE(0 < yMin && yMin < yMax && yMax < 100) << shown[2] << " " << shown[3];
        } else {
            EXPECT_EQ(shown, typed);
        }
        EXPECT_EQ(plot.PaintBox2DblClick(RunState::Stopped), !c.zoomed)
            << "a zoomed plot is redrawn by the fields it gets back";
        EXPECT_EQ(axisTexts(), typed);
        EXPECT_FALSE(plot.Zoomed);
        plot.resetCursor();
    }
}

// What each run state allows, and what the status panel says in it.
TEST_F(PlotPartsTest, RunStateSetsTheCommandsItAllowsAndTheStatus) {
    struct Case {
        RunState state;
        bool zoomed;
        std::array<bool, 4> enabled; // run, pause, stop, device test
        const char* status;
    };
    const Case cases[] = {
        {RunState::Running, false, {false, true, true, false}, "Measuring"},
        {RunState::Paused, true, {true, false, true, false}, "Pause"},
        {RunState::Stopped, false, {true, false, false, true}, ""},
        {RunState::Stopped, true, {true, false, false, true}, "Zoom"},
    };
    std::vector<RunState> reported;
    run.stateReported = [&](RunState s) { reported.push_back(s); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        plot.Zoomed = c.zoomed;
        fields.setText("Panel8", "17");
        run.runStateChanged(c.state);
        EXPECT_EQ(runWindow.enabled, c.enabled);
        EXPECT_EQ(fields.text("Panel5"), c.status);
        EXPECT_EQ(fields.text("Panel8"), c.state == RunState::Stopped ? "" : "17")
            << "a stop clears the read-outs";
        EXPECT_EQ(run.state(), c.state);
        EXPECT_EQ(reported.back(), c.state);
    }
}

} // namespace
