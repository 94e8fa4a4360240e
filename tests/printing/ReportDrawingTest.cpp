#include "ReportFixture.h"

#include "graph/QPainterCanvas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace varentis {
namespace {

using Kind = RecordingCanvas::Kind;
using test::Report;

constexpr ColorRef kBlack = rgb(0, 0, 0);
constexpr ColorRef kWhite = rgb(255, 255, 255);
constexpr ColorRef kFrame = rgb(200, 0, 0);
constexpr ColorRef kSignal = rgb(0, 0, 200);
constexpr ColorRef kValve = rgb(0, 150, 0);

void colour(Report& r) {
    r.setup.FrameColor = kFrame;
    r.setup.LineColor = kSignal;
    r.setup.ValveColor = kValve;
}

TEST(ReportDrawing, OnlyInfoTextGivesTitleRuleAndSettingsLinesAndNoGraphs) {
    Report r;
    r.only(false, false, true, false, true);
    r.content.Description = {"Calibration run", "second line"};
    r.content.FileName = "/data/runs/run 7.vrd";
    r.content.Period = "250";
    r.content.PeriodUnit = "ms";
    r.content.Damping = "2";
    r.content.DampingUnit = "s";
    r.content.Zero = "1.5";
    r.content.PMTVoltage = "650";
    r.content.CycleTimeText = "45";
    r.draw();

    EXPECT_TRUE(r.calls(Kind::Rectangle).empty());
    EXPECT_TRUE(r.calls(Kind::FillRect).empty());
    EXPECT_TRUE(r.calls(Kind::Polyline).empty());
    EXPECT_EQ(r.progress.statuses, (std::vector<std::string>{"info text", "ready"}));

    const auto texts = r.canvas.textCalls();
    ASSERT_EQ(texts.size(), 11u - 1) << "no legend without the valve graph";
    // The title in the report font two points larger, in black; the font's height (28 for
    // 14 points on this canvas) and 5 pixels further down, a black rule across the page.
    EXPECT_EQ(texts[0].text, "Varentis");
    EXPECT_EQ(texts[0].points[0], (Point{r.g.L, r.g.T}));
    EXPECT_EQ(texts[0].font.Size, 14);
    EXPECT_EQ(texts[0].font.Color, kBlack);
    const std::vector<RecordingCanvas::Segment> rule{
        {{r.g.L, r.g.T + 28 + 5}, {r.g.PW - r.g.R, r.g.T + 28 + 5}, kBlack, PenStyle::Solid, 1}};
    EXPECT_EQ(r.canvas.segments(), rule);
    // Then the lines in the report font (24 high at 12 points), rnd(1.1 x 24) = 26 apart.
    const std::vector<std::string> lines{"Calibration run",
                                         "second line",
                                         "",
                                         "File: run 7.vrd",
                                         "Measurement period: 250 ms",
                                         "Signal damping: 2 s",
                                         "Signal zero line: 1.5 nA",
                                         "Output signal: 650 V",
                                         "Cycle time: 45 s"};
    int y = r.g.T + 28 + 24;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& t = texts[i + 1];
        EXPECT_EQ(t.text, lines[i]);
        EXPECT_EQ(t.points[0], (Point{r.g.L, y})) << lines[i];
        EXPECT_EQ(t.font, r.setup.Font) << lines[i];
        y += 26;
    }
}

TEST(ReportDrawing, LineSpacingRoundsAsDecimalsDo) {
    // 1.1 x h for fonts of 10 (h 20: 22), 15 (h 30: 33) and 25 points (h 50: 55) ... and the
    // halves: h 5 gives 5.5 (to 6), h 15 gives 16.5 (to 16; doubles give 17).
    for (const auto& [points, step] : {std::pair{10, 22}, {15, 33}, {25, 55}}) {
        Report r;
        r.only(false, false, false, true, false);
        r.setup.Font.Size = points;
        r.content.ValveProgramLines = {"a", "b"};
        r.draw();
        const auto texts = r.canvas.textCalls();
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[1].points[0].y - texts[0].points[0].y, step) << points;
    }
    EXPECT_EQ(test::roundHalfEven(11 * 15, 10), 16);
}

TEST(ReportDrawing, ValveGraphWithoutValvesIsAnEmptyBoxRightAbovethePlot) {
    Report r;
    r.only(false, true, false, false, true);
    r.valveProgram("no valve named here");
    r.draw();
    const auto boxes = r.calls(Kind::Rectangle);
    ASSERT_EQ(boxes.size(), 1u);
    const int top = r.g.G - r.g.I;
    EXPECT_EQ(boxes[0].points, (std::vector<Point>{{r.g.L, top}, {r.g.PW - r.g.R, top}}));
    EXPECT_EQ(r.g.V0, top);
    EXPECT_EQ(r.g.V1, top);
    EXPECT_EQ(r.progress.statuses, (std::vector<std::string>{"valve graph", "ready"}));
    const auto texts = r.canvas.textCalls();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Valves:");
    EXPECT_EQ(texts[0].points[0], (Point{r.g.L, r.g.G}));
}

TEST(ReportDrawing, GridFallsOnTenthsOfTheSpanCountedFromZero) {
    // Limits as typed, in tenths of the unit, and the values (tenths) of the dashed lines.
    const struct {
        const char *min, *max;
        int minT, maxT;
        std::vector<int> lines;
        bool zeroLine;
    } cases[] = {
        {"-5", "5", -50, 50, {40, 30, 20, 10, 0, -10, -20, -30, -40}, true},
        {"0", "10", 0, 100, {90, 80, 70, 60, 50, 40, 30, 20, 10}, false},
        {"-10", "0", -100, 0, {-10, -20, -30, -40, -50, -60, -70, -80, -90}, false},
        // 0.7 - 0.1 x k in doubles drifts; the last line must not fall on "Y min".
        {"-0.3", "0.7", -3, 7, {6, 5, 4, 3, 2, 1, 0, -1, -2}, true},
        // A span of 7: lines every 0.7 from zero, the first 0.1 below the top.
        {"-2", "5", -20, 50, {49, 42, 35, 28, 21, 14, 7, 0, -7, -14}, true},
        // A reversed axis: "Y max" below "Y min".
        {"5", "-5", 50, -50, {-40, -30, -20, -10, 0, 10, 20, 30, 40}, true},
        {"10", "0", 100, 0, {10, 20, 30, 40, 50, 60, 70, 80, 90}, false},
    };
    for (const auto& c : cases) {
        Report r;
        r.only(true, false, false, false, true);
        colour(r);
        r.signalAxis(c.min, c.max);
        r.draw();
        const int h = r.g.PH - r.g.T - r.g.B;
        std::vector<int> expected;
        for (int v : c.lines)
            expected.push_back(r.g.G + static_cast<int>(test::roundHalfEven(
                                           static_cast<std::int64_t>(c.maxT - v) * h,
                                           2 * std::abs(c.maxT - c.minT))));
        if (c.maxT < c.minT) // a reversed axis counts downwards
            for (int& e : expected) e = 2 * r.g.G - e + 0;
        EXPECT_EQ(r.rowsAcross(PenStyle::Dashed, r.g.G, r.g.PH - r.g.B), expected) << c.min;
        const auto solid = r.rowsAcross(PenStyle::Solid, r.g.G, r.g.PH - r.g.B);
        if (c.zeroLine) {
            const int zero = r.g.G + static_cast<int>(test::roundHalfEven(
                                         static_cast<std::int64_t>(std::abs(c.maxT)) * h,
                                         2 * std::abs(c.maxT - c.minT)));
            EXPECT_EQ(solid, std::vector<int>{zero}) << c.min;
        } else {
            EXPECT_TRUE(solid.empty()) << c.min;
        }
        for (const auto& s : r.canvas.segments())
            if (s.style == PenStyle::Dashed) {
                EXPECT_EQ(s.color, kFrame);
                EXPECT_EQ(s.width, 1);
            }
    }
}

TEST(ReportDrawing, CycleLinesReachThePlotsEndAndStayBelowXMaxInTheValveBox) {
    const struct {
        double cycle, xMax;
        std::vector<double> plot, valves;
    } cases[] = {
        {30, 100, {30, 60, 90, 120}, {30, 60, 90}},
        {30, 90, {30, 60, 90}, {30, 60}},
        {0.1, 0.3, {0.1, 0.2, 0.3}, {0.1, 0.2}}, // 3 x 0.1 is 0.30000000000000004
        {200, 100, {200}, {}},
    };
    for (const auto& c : cases) {
        Report r;
        r.only(true, true, false, false, true);
        r.content.CycleTime = c.cycle;
        r.timeAxis(0, c.xMax);
        r.content.XMaxText = text(c.xMax, 1);
        r.valveProgram("V2=1");
        r.draw();
        std::vector<int> plot, valves;
        for (double t : c.plot) plot.push_back(r.refX(t));
        for (double t : c.valves) valves.push_back(r.refX(t));
        EXPECT_EQ(r.dashedColumns(r.g.G, r.g.PH - r.g.B), plot) << c.cycle << " " << c.xMax;
        EXPECT_EQ(r.dashedColumns(r.g.V0, r.g.V1), valves) << c.cycle << " " << c.xMax;
    }
}

TEST(ReportDrawing, CycleLinesOnAPageWiderThanTheScreensPixelLimit) {
    Report r;
    r.page = {19000, 13000, 19000, 13000, 1200, 1200}; // A2 landscape at 1200 dpi
    r.only(true, false, false, false, true);
    r.draw();
    ASSERT_GT(r.g.PW - r.g.R - r.g.L, 12000);
    EXPECT_EQ(r.dashedColumns(r.g.G, r.g.PH - r.g.B),
              (std::vector<int>{r.refX(30), r.refX(60), r.refX(90), r.refX(120)}));
    EXPECT_GT(r.refX(90), 10000);
}

TEST(ReportDrawing, LineWidthsOfFrameValvesAndSignal) {
    // Frame and valve lines take half the line width, at least 1; the signal all of it.
    const struct {
        int width, frame, signal;
    } cases[] = {{1, 1, 1}, {5, 2, 5}, {2, 1, 2}, {100, 50, 100}, {0, 1, 1}, {1000, 50, 100}};
    for (const auto& c : cases) {
        Report r;
        colour(r);
        r.setup.LineWidth = c.width;
        r.valveProgram("V1=5,2");
        r.addPoint(1, 10e-9);
        r.addPoint(2, 20e-9);
        r.draw();
        const auto boxes = r.calls(Kind::Rectangle);
        ASSERT_EQ(boxes.size(), 2u);
        for (const auto& b : boxes) {
            EXPECT_EQ(b.penWidth, c.frame) << c.width;
            EXPECT_EQ(b.penColor, kFrame);
        }
        const auto traces = r.calls(Kind::Polyline);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0].penWidth, c.signal) << c.width;
        EXPECT_EQ(traces[0].penColor, kSignal);
        const auto valve = r.canvas.segmentsOf(kValve);
        ASSERT_FALSE(valve.empty());
        for (const auto& s : valve) EXPECT_EQ(s.width, c.frame) << c.width;
    }
}

TEST(ReportDrawing, SignalIsSmoothedFromTheRawPointsThenTheZeroLineTakenOff) {
    Report r;
    colour(r);
    r.only(true, false, false, false, false);
    r.content.DampingFactor = 0.75;
    r.content.ZeroLine = 5e-9;
    const double raw[] = {20e-9, 60e-9, 40e-9, 80e-9, 10e-9, -30e-9, 150e-9};
    for (int i = 0; i < 7; ++i) r.addPoint(12.5 * i + 3, raw[i]);
    r.draw();
    std::vector<Point> expected{{r.refX(3), r.refY(raw[0] - 5e-9)}};
    double s = raw[0];
    for (int i = 1; i < 7; ++i) {
        s = 0.75 * s + (1 - 0.75) * raw[i];
        expected.push_back({r.refX(12.5 * i + 3), r.refY(s - 5e-9)});
    }
    const auto traces = r.calls(Kind::Polyline);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].points, expected);
    // Then the white that takes off what lies outside the plot, and the frame on top.
    const std::vector<std::vector<Point>> fills{
        {{0, 0}, {r.g.PW, r.g.G - 1}},
        {{0, r.g.PH - r.g.B}, {r.g.PW, r.g.PH}},
        {{0, 0}, {r.g.L, r.g.PH}},
        {{r.g.PW - r.g.R, 0}, {r.g.PW, r.g.PH}}};
    const auto drawnFills = r.calls(Kind::FillRect);
    ASSERT_EQ(drawnFills.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(drawnFills[i].points, fills[i]);
        EXPECT_EQ(drawnFills[i].brushColor, kWhite);
    }
    const auto& all = r.canvas.calls();
    const auto last = all.end() - 5;
    EXPECT_EQ(last->kind, Kind::MoveTo);
    EXPECT_EQ(last->points[0], (Point{r.g.L, r.g.G}));
    EXPECT_EQ((last + 2)->points[0], (Point{r.g.PW - r.g.R - 1, r.g.PH - r.g.B - 1}));
    EXPECT_EQ((last + 2)->penColor, kFrame);
}

// A trace drawn into an image.
QImage render(int width, const std::function<void(Canvas&)>& draw) {
    QImage image(560, 420, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    canvas.setPen(kSignal, PenStyle::Solid, width);
    draw(canvas);
    return image;
}

TEST(ReportDrawing, ADenseTraceCoversWhatEveryPointDrawnCovers) {
    Report r;
    r.page = {560, 420, 560, 420, 40, 40};
    r.only(true, false, false, false, false);
    r.content.DampingFactor = 0.3;
    std::uint32_t seed = 7;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        r.addPoint(i * 0.005, (50 + 45 * std::sin(i * 0.002) + (seed >> 24) / 16.0) * 1e-9);
    }
    r.draw();
    const auto traces = r.calls(Kind::Polyline);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_LE(traces[0].points.size(), 4u * (r.g.PW - r.g.R - r.g.L + 1))
        << "four points per column at most";
    EXPECT_GT(traces[0].points.size(), 500u);

    for (int width : {1, 5}) {
        const QImage reduced =
            render(width, [&](Canvas& c) { c.polyline(traces[0].points); });
        const QImage every = render(width, [&](Canvas& c) {
            double s = r.points.Signals[0];
            std::vector<Point> all{{r.refX(r.points.Times[0]), r.refY(s)}};
            for (std::size_t i = 1; i < r.points.Signals.size(); ++i) {
                s = 0.3 * s + (1 - 0.3) * r.points.Signals[i];
                all.push_back({r.refX(r.points.Times[i]), r.refY(s)});
            }
            c.polyline(all);
        });
        if (width > 1) {
            // Round pen ends: both cover exactly the same area.
            EXPECT_TRUE(reduced == every) << "pen width " << width;
            continue;
        }
        // A 1-pixel line leaves out its last pixel in some directions; where a column's
        // highest or lowest point ends a line in one path and not in the other, that pixel
        // differs. Every pixel of the whole trace is set, and no more than a few besides,
        // each beside one of the whole trace's.
        int drawn = 0, extra = 0;
        const QRgb white = qRgb(255, 255, 255);
        for (int y = 1; y < every.height() - 1; ++y)
            for (int x = 1; x < every.width() - 1; ++x) {
                const bool inEvery = every.pixel(x, y) != white;
                const bool inReduced = reduced.pixel(x, y) != white;
                drawn += inEvery;
                EXPECT_TRUE(!inEvery || inReduced) << x << "," << y;
                if (inReduced && !inEvery) {
                    ++extra;
                    bool beside = false;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            beside = beside || every.pixel(x + dx, y + dy) != white;
                    EXPECT_TRUE(beside) << x << "," << y;
                }
            }
        EXPECT_GT(drawn, 2000) << "a real trace";
        EXPECT_LE(extra, drawn / 1000);
    }
}

TEST(ReportDrawing, ProgressMovesOncePerPercentAndEndsWithTheLastPoint) {
    for (int count : {1, 2, 7, 100, 1000, 12345}) {
        Report r;
        r.only(true, false, false, false, false);
        for (int i = 0; i < count; ++i) r.addPoint(i * 0.001, 1e-9);
        r.draw();
        // What rnd(i x 100 / Count) gives for i = 1 .. Count - 1, each value once.
        std::vector<int> expected;
        for (int i = 1; i < count; ++i) {
            const int p = static_cast<int>(test::roundHalfEven(i * 100LL, count));
            if (expected.empty() || expected.back() != p) expected.push_back(p);
        }
        EXPECT_EQ(r.progress.positions, expected) << count;
        EXPECT_LE(r.progress.positions.size(), 101u);
    }
}

TEST(ReportDrawing, ValveWavesBeginEveryCycleAfreshAtTheirLanes) {
    Report r;
    colour(r);
    r.only(false, true, false, false, false);
    r.valveProgram("V3=5,2\nV1=0,10,5\nnothing here");
    r.draw();
    const ReportGeometry& g = r.g;
    EXPECT_EQ(g.n, 2);
    const int a = static_cast<int>(test::roundHalfEven(4 * g.I, 10));
    // The lanes' top edges, in valve order: V1's lane 1, then V3's lane 0.
    EXPECT_EQ(r.rowsAcross(PenStyle::Solid, g.V0, g.V1),
              (std::vector<int>{g.V0 + g.I, g.V0}));

    // The rules' own loop for one valve, every cycle from a move to its start.
    auto wave = [&](std::vector<double> durations, int lane) {
        const int yv = static_cast<int>(test::roundHalfEven((10 * lane + 6) * g.I, 10)) + g.V0;
        std::vector<RecordingCanvas::Segment> out;
        for (double c = 0; c <= 100; c += 30) {
            Point at{r.refX(c), yv + a};
            double e = 0;
            int level = yv + a;
            for (std::size_t k = 0; k < 5000; ++k) {
                const double p = e;
                e = p + (k < durations.size() ? durations[k] : 0.0);
                if (e == p && k > 0) e = 30;
                if (e > 30) e = 30;
                for (Point to : {Point{r.refX(c + p), level}, Point{r.refX(c + e), level}}) {
                    out.push_back({at, to, kValve, PenStyle::Solid, 1});
                    at = to;
                }
                level = level == yv + a ? yv - a : yv + a;
                if (e >= 30) break;
            }
        }
        return out;
    };
    std::vector<RecordingCanvas::Segment> expected = wave({0, 10, 5}, 1);
    const auto v3 = wave({5, 2}, 0);
    expected.insert(expected.end(), v3.begin(), v3.end());
    EXPECT_EQ(r.canvas.segmentsOf(kValve), expected);

    // The box: frame, then white beside it; the legend below at the last lane drawn (V3's).
    const auto fills = r.calls(Kind::FillRect);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].points, (std::vector<Point>{{0, 0}, {g.L, g.PH}}));
    EXPECT_EQ(fills[1].points, (std::vector<Point>{{g.PW - g.R, 0}, {g.PW, g.PH}}));
    const auto texts = r.canvas.textCalls();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Valves:  V3  V1");
    EXPECT_EQ(texts[0].points[0], (Point{g.L, g.V0}));
}

TEST(ReportDrawing, AValveNamedTwiceKeepsItsWaveInsideTheBox) {
    Report r;
    colour(r);
    r.only(false, true, false, false, false);
    r.valveProgram("V1=5\nV1=3,4");
    r.draw();
    EXPECT_EQ(r.g.n, 2);
    for (const auto& s : r.canvas.segmentsOf(kValve)) {
        // The last lane's closed level lies on the box's (excluded) bottom edge.
        EXPECT_GT(s.from.y, r.g.V0);
        EXPECT_LE(s.from.y, r.g.V1);
    }
    EXPECT_EQ(r.canvas.textCalls().at(0).text, "Valves:  V1");
}

TEST(ReportDrawing, DenseCyclesAreDrawnPerColumnInBoundedWork) {
    Report r;
    colour(r);
    r.only(false, true, false, false, false);
    r.content.CycleTime = 0.001;
    r.timeAxis(0, 1e6); // a billion cycles
    r.valveProgram("V1=0.0002,0.0003");
    r.draw();
    const auto valve = r.canvas.segmentsOf(kValve);
    EXPECT_GT(valve.size(), 0u);
    EXPECT_LT(valve.size(), 20u * static_cast<std::size_t>(r.g.PW)) << "work per column";
    EXPECT_LT(r.dashedColumns(r.g.V0, r.g.V1).size(), static_cast<std::size_t>(r.g.PW));
}

TEST(ReportDrawing, EveryBlockInOrderWithTheValveTextInsteadOfTheLegend) {
    Report r;
    colour(r);
    r.valveProgram("V2=3,4");
    r.content.ValveProgramLines = {"V2=3,4"};
    r.content.Description = {"run"};
    r.addPoint(0, 1e-9);
    r.draw();
    EXPECT_EQ(r.progress.statuses,
              (std::vector<std::string>{"signal graph", "valve graph", "info text", "valve text",
                                        "ready"}));
    const auto texts = r.canvas.textCalls();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "Y axis: 0 .. 100 nA");
    EXPECT_EQ(texts[0].points[0], (Point{r.g.L + 10, r.g.G + 5}));
    EXPECT_EQ(texts[0].font.Color, rgb(1, 2, 3));
    EXPECT_EQ(texts[1].text, "X axis: 0 .. 100 s");
    EXPECT_EQ(texts[1].points[0], (Point{r.g.L + 10, r.g.G + 5 + 24}));
    EXPECT_EQ(texts[texts.size() - 2].text, "V2=3,4");
    EXPECT_EQ(texts.back().text, "");
    for (const auto& t : texts) EXPECT_NE(t.text.rfind("Valves:", 0), 0u) << "no legend";
}

} // namespace
} // namespace varentis
