#include "graph/RecordingCanvas.h"
#include "graph/ValveGraph.h"

#include <gtest/gtest.h>

#include <string>

namespace varentis {
namespace {

using Kind = RecordingCanvas::Kind;
using Segment = RecordingCanvas::Segment;

constexpr int W = 600;
constexpr ColorRef kValves = rgb(9, 8, 7);

TEST(ValveLanes, LayoutForNoneOneAndTwelveValvesAndWhenHidden) {
    std::string twelve;
    for (int v = 12; v >= 1; --v) twelve += "V" + std::to_string(v) + "=1\n";
    const struct {
        const char* what;
        std::string program;
        bool shown;
        int boxHeight, plotTop, labelTop;
        std::vector<int> used; // valves (1-based) with a lane, and their lane tops below
        std::vector<int> tops;
    } cases[] = {
        {"no valve", "no valve here", true, 2, 56, 52, {}, {}},
        {"one valve", "V4=5,5", true, 16, 70, 66, {4}, {48}},
        {"twelve valves", twelve, true, 170, 224, 220, {12, 1}, {48, 202}},
        {"a valve named twice", "V2=1\nV2=3", true, 30, 84, 80, {2}, {62}},
        {"show valves unticked", twelve, false, 170, 48, 44, {}, {}},
    };
    for (const auto& c : cases) {
        const ValveLanes lanes = valveLanes(parseValveProgram(c.program, 30), c.shown);
        EXPECT_EQ(lanes.Shown, c.shown) << c.what;
        EXPECT_EQ(lanes.boxHeight(), c.boxHeight) << c.what;
        EXPECT_EQ(lanes.plotTop(), c.plotTop) << c.what;
        EXPECT_EQ(lanes.maxLabelTop(), c.labelTop) << c.what;
        int usedCount = 0;
        for (bool u : lanes.Used) usedCount += u;
        if (c.what == std::string("twelve valves")) {
            EXPECT_EQ(usedCount, 12);
        } else {
            EXPECT_EQ(usedCount, static_cast<int>(c.used.size())) << c.what;
        }
        for (std::size_t i = 0; i < c.used.size(); ++i) {
            const auto v = static_cast<std::size_t>(c.used[i] - 1);
            EXPECT_TRUE(lanes.Used[v]) << c.what;
            EXPECT_EQ(lanes.Position[v], c.tops[i]) << c.what;
        }
        if (!c.shown) {
            for (int p : lanes.Position) EXPECT_EQ(p, 48) << c.what;
        }
    }
    const ValveLanes printed = valveLanes(parseValveProgram("V3=1\nV1=2", 30), true);
    EXPECT_EQ(printed.laneIndex(2), 0);
    EXPECT_EQ(printed.laneIndex(0), 1);
}

Segment line(int x1, int y1, int x2, int y2, ColorRef color, PenStyle style = PenStyle::Solid) {
    return {{x1, y1}, {x2, y2}, color, style, 1};
}

struct Drawn {
    RecordingCanvas canvas;
    ValveLanes lanes;
};

void drawProgram(Drawn& d, const char* program, double xMin = 0, double xMax = 100) {
    const ValveProgram p = parseValveProgram(program, 30);
    d.lanes = valveLanes(p, true);
    TimeAxis axis;
    axis.XMin = xMin;
    axis.XMax = xMax;
    axis.XScale = W / (xMax - xMin);
    axis.Width = W;
    GraphColors colors;
    colors.Valves = kValves;
    colors.ValveBkg = rgb(1, 1, 1);
    drawValveGraph(d.canvas, {0, 0, W, d.lanes.boxHeight()}, axis, p, d.lanes, 30, colors);
}

TEST(ValveGraph, BackgroundBaseLinesAndCycleGrid) {
    Drawn d;
    drawProgram(d, "V2=5\nV1=10,5");
    const auto& bg = d.canvas.calls().front();
    EXPECT_EQ(bg.kind, Kind::Rectangle);
    EXPECT_EQ(bg.points, (std::vector<Point>{{0, 0}, {W, 30}}));
    EXPECT_EQ(bg.penColor, rgb(0, 0, 0));
    EXPECT_EQ(bg.brushColor, rgb(1, 1, 1));
    // Base lines at each lane's low level: 13 below the first lane's box top, 14 apart.
    EXPECT_EQ(d.canvas.segmentsOf(rgb(212, 212, 212)),
              (std::vector<Segment>{line(0, 27, W, 27, rgb(212, 212, 212)),
                                    line(0, 13, W, 13, rgb(212, 212, 212))}));
    std::vector<Segment> grid;
    for (int x : {180, 360, 540, 720})
        grid.push_back(line(x, 0, x, 30, rgb(128, 128, 128), PenStyle::Dotted));
    EXPECT_EQ(d.canvas.segmentsOf(rgb(128, 128, 128)), grid);
}

TEST(ValveGraph, WavesFollowTheDurationsEveryCycle) {
    const ColorRef c = kValves;
    {
        // 0, 5, 5: on from 0 to 5 s, off to 10 s, on to the cycle's end.
        Drawn d;
        drawProgram(d, "V1=0,5,5");
        const std::vector<Segment> wave = d.canvas.segmentsOf(c);
        ASSERT_GE(wave.size(), 9u);
        const std::vector<Segment> firstCycle{line(0, 13, 0, 13, c), line(0, 13, 0, 13, c),
                                              line(0, 13, 0, 5, c),  line(0, 5, 30, 5, c),
                                              line(30, 5, 30, 13, c), line(30, 13, 60, 13, c),
                                              line(60, 13, 60, 5, c), line(60, 5, 180, 5, c)};
        EXPECT_EQ(std::vector<Segment>(wave.begin(), wave.begin() + 8), firstCycle);
        EXPECT_EQ(wave[8], line(180, 5, 180, 13, c)) << "the next cycle starts off";
    }
    {
        // 10, 40: off to 10 s, on to the cycle's end (cut there), off again at 30 s.
        Drawn d;
        drawProgram(d, "V1=10,40");
        const std::vector<Segment> wave = d.canvas.segmentsOf(c);
        ASSERT_GE(wave.size(), 6u);
        EXPECT_EQ(wave[1], line(0, 13, 60, 13, c));
        EXPECT_EQ(wave[3], line(60, 5, 180, 5, c));
        EXPECT_EQ(wave[4], line(180, 5, 180, 13, c));
        EXPECT_EQ(wave.back().to, (Point{720, 5})) << "the cycle at 90 s runs on past the plot";
    }
    {
        // An axis from -10 s: the first cycle starts at x(0), inside the box.
        Drawn d;
        drawProgram(d, "V1=10,5", -10, 90);
        const auto& calls = d.canvas.calls();
        const auto first = std::find_if(calls.begin(), calls.end(), [&](const auto& call) {
            return call.kind == Kind::MoveTo && call.penColor == c;
        });
        ASSERT_NE(first, calls.end());
        EXPECT_EQ(first->points.front(), (Point{60, 13}));
    }
}

TEST(ValveGraph, DecimalSumsEndExactlyAtTheCycle) {
    // 0.7 + 0.1 + 0.2 is 1 as a decimal (0.9999999999999999 in doubles): the wave ends the
    // cycle low without a spike back up at its end.
    const ValveProgram p = parseValveProgram("V1=0.7,0.1,0.2", 1);
    const std::vector<TraceVertex> wave = valveTraceVertices(p.SwitchSums[0], 1, 13, 5);
    ASSERT_EQ(wave.size(), 6u);
    EXPECT_EQ(wave.back().Time, 1.0);
    EXPECT_EQ(wave.back().Y, 13);
}

TEST(ValveGraph, FiveThousandIntervalsEndingInsideTheCycleHoldTheLastState) {
    const ValveProgram p = parseValveProgram("V1=5000*(0.001)", 30);
    const std::vector<TraceVertex> wave = valveTraceVertices(p.SwitchSums[0], 30, 13, 5);
    ASSERT_GE(wave.size(), 2u);
    EXPECT_EQ(wave.back().Time, 30.0);
    // After 5000 changes the valve is closed again and stays closed to the cycle's end.
    EXPECT_EQ(wave.back().Y, 13);
    EXPECT_EQ(wave[wave.size() - 2].Time, 5.0);
}

} // namespace
} // namespace varentis
