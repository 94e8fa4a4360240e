#include "graph/PlotCursor.h"
#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "graph/RecordingCanvas.h"

#include "core/NumberText.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace varentis {
namespace {

constexpr int W = 600;
constexpr int H = 400;

struct Axes {
    const char* xMin = "0";
    const char* xMax = "100";
    int xUnits = 0; // s, min, h
    const char* yMin = "0";
    const char* yMax = "100";
    int yUnits = 1; // pA, nA, uA, mA, A
};

GraphScale scaleFor(const Axes& a, int width = W, int height = H) {
    ScaleSettings st;
    st.XMin = a.xMin;
    st.XMax = a.xMax;
    st.XUnits = a.xUnits;
    st.YMin = a.yMin;
    st.YMax = a.yMax;
    st.YUnits = a.yUnits;
    return XYFactors(st, width, height, {}).Scale;
}

// ---- Zoom ------------------------------------------------------------------------------

TEST(Zoom, OnlyADragRightAndDownZooms) {
    struct Case {
        const char* what;
        PixelRect band;
        bool zooms;
    };
    const Case cases[] = {
        {"right and down", {10, 20, 30, 40}, true},
        {"right and up", {10, 40, 30, 20}, false},
        {"left and down", {30, 20, 10, 40}, false},
        {"left and up", {30, 40, 10, 20}, false},
        {"a click without moving", {10, 20, 10, 20}, false},
        {"only right", {10, 20, 30, 20}, false},
        {"only down", {10, 20, 10, 40}, false},
        {"one pixel each way", {10, 20, 11, 21}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(zoomsIn(c.band), c.zooms) << c.what;
}

TEST(Zoom, AxisTextsFromTheBandWithTheDecimalsOfTheScale) {
    struct Case {
        const char* what;
        Axes axes;
        int width, height;
        PixelRect band;
        int releaseX, releaseY;
        AxisTexts expected;
    };
    const Case cases[] = {
        // 6 px per s and 4 px per nA; time with XDecimals (2) + 1, signal with YDecimals (2).
        {"default axes", {}, W, H, {60, 40, 300, 200}, 300, 200,
         {"10.000", "50.000", "50.00", "90.00"}},
        // The limits come from the start corner and the point of release.
        {"release beyond the last move", {}, W, H, {60, 40, 300, 200}, 360, 240,
         {"10.000", "60.000", "40.00", "90.00"}},
        // 0.0625 min exactly (1 px = 3.75 s): the unit conversion must not push it to
        // 0.06250000000000001, which prints with its last digit rounded up.
        {"exact half in minutes", {"0", "100", 1}, 1600, H, {1, 0, 2, 1}, 2, 1,
         {text(0.0625, 3), text(0.125, 3), "99.75", "100.00"}},
        // 0 .. 10 nA on 400 px: 0.025 nA per pixel, YDecimals 3.
        // 0 .. 10 s: XDecimals 3, so four decimals.
        {"small signal axis", {"0", "10", 0, "0", "10", 1}, W, H, {0, 10, 60, 390}, 60, 390,
         {"0.0000", "1.0000", "0.250", "9.750"}},
        // An axis around zero in uA, time in hours (XDecimals 4).
        {"negative limits", {"-1", "1", 2, "-5", "5", 2}, 400, 200, {100, 50, 300, 150}, 300,
         150, {"-0.50000", "0.50000", "-2.500", "2.500"}},
    };
    for (const Case& c : cases) {
        const GraphScale s = scaleFor(c.axes, c.width, c.height);
        EXPECT_EQ(zoomedAxisTexts(s, c.height, c.band, c.releaseX, c.releaseY), c.expected)
            << c.what;
    }
}

TEST(Zoom, PixelReadoutsUseTheAxisUnits) {
    const GraphScale s = scaleFor({"0", "3", 1, "0", "10", 1}); // 0 .. 3 min, 0 .. 10 nA
    EXPECT_EQ(timeAtPixelText(s, 300), "1.5000"); // 1.5 min, XDecimals 3 + 1
    EXPECT_EQ(signalAtPixelText(s, H, 100), "7.500");
    EXPECT_DOUBLE_EQ(timeAtPixel(s, 0), 0.0);
    EXPECT_DOUBLE_EQ(signalAtPixel(s, H, H), 0.0);
}

// ---- Picking a point ---------------------------------------------------------------------

std::vector<double> evenTimes(int count, double step) {
    std::vector<double> t;
    for (int i = 0; i < count; ++i) t.push_back(i * step);
    return t;
}

TEST(NearestPoint, PicksTheNearestStoredPoint) {
    const std::vector<double> t = evenTimes(10, 1.0); // 0 .. 9 s
    struct Case {
        double at;
        int expected;
    };
    const Case cases[] = {
        {-5.0, 0},  // before the first point
        {0.0, 0},   {0.2, 0},
        {2.0, 2},   {2.4, 2}, {2.6, 3}, {4.51, 5}, {4.49, 4},
        {8.0, 8},   {8.7, 9},
        {9.0, 9},   {50.0, 9}, // after the last point
    };
    for (const Case& c : cases) EXPECT_EQ(nearestPointIndex(t, c.at), c.expected) << c.at;
}

TEST(NearestPoint, TheFirstPointsAndTheLastAreCorrectedToo) {
    // The bisection ends half a point before the first time at or after the click, on
    // either side; the neighbour decides. For points 1 and Count - 1 too: a click right on
    // point 2 must not show point 1.
    const std::vector<double> t = evenTimes(10, 1.0);
    struct Case {
        double at;
        int expected;
    };
    const Case cases[] = {{0.2, 0}, {0.8, 1}, {1.0, 1}, {2.0, 2}, {1.4, 1}, {8.3, 8}, {8.7, 9}};
    for (const Case& c : cases) EXPECT_EQ(nearestPointIndex(t, c.at), c.expected) << c.at;
    const std::vector<double> uneven{0.0, 10.0, 11.0, 12.0, 13.0, 14.0, 24.0};
    EXPECT_EQ(nearestPointIndex(uneven, 3.0), 0);
    EXPECT_EQ(nearestPointIndex(uneven, 12.4), 3);
    EXPECT_EQ(nearestPointIndex(uneven, 16.0), 5);
    EXPECT_EQ(nearestPointIndex(uneven, 20.0), 6);
}

TEST(NearestPoint, NeverAsksOutsideTheStoreAndFindsTheNearest) {
    // The bisection can reach within a rounding of Count itself (Count 1: a = 0.75 gives
    // index 1; Count 10: a = 9.6875 gives 10); every index it reads must be held.
    for (int count = 1; count <= 300; ++count) {
        const std::vector<double> t = evenTimes(count, 0.5);
        for (double at = -1.0; at <= count * 0.5 + 1.0; at += 0.125) {
            bool outside = false;
            const int i = nearestPointIndex(count, at, [&](int k) {
                if (k < 0 || k >= count) {
                    outside = true;
                    return std::numeric_limits<double>::quiet_NaN();
                }
                return t[static_cast<std::size_t>(k)];
            });
            ASSERT_FALSE(outside) << "count " << count << " at " << at;
            ASSERT_GE(i, 0);
            ASSERT_LT(i, count);
            double best = std::numeric_limits<double>::infinity();
            for (double v : t) best = std::min(best, std::fabs(v - at));
            ASSERT_EQ(std::fabs(t[static_cast<std::size_t>(i)] - at), best)
                << "count " << count << " at " << at << " picked " << i;
        }
    }
}

TEST(NearestPoint, UnorderedOrWildTimesStayInTheStore) {
    const std::vector<double> t{5.0, -3.0, std::nan(""), 1e300, 2.0};
    for (double at : {-1e308, 0.0, 3.0, 1e308, std::nan("")}) {
        const int i = nearestPointIndex(t, at);
        EXPECT_GE(i, 0);
        EXPECT_LT(i, 5);
    }
}

TEST(SmoothedSignal, RunsTheDisplaySmoothingUpToThePoint) {
    const std::vector<double> s{8.0, 0.0, 4.0, 2.0};
    struct Case {
        double damping;
        int index;
        double expected;
    };
    const Case cases[] = {
        {0.0, 2, 4.0},  // no smoothing: the point's own value
        {0.5, 0, 8.0},  // the first point is its own value
        {0.5, 1, 4.0},  // 0.5 * 8 + 0.5 * 0
        {0.5, 3, 3.0},  // 8 -> 4 -> 4 -> 3
        {1.0, 3, 8.0},  // full damping stays at the first value
        {0.5, 99, 3.0}, // beyond the store: the last point
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(smoothedSignal(s, c.index, c.damping), c.expected)
            << c.damping << " " << c.index;
}

PointStore storeOf(std::vector<double> times, std::vector<double> values,
                   std::vector<double> currents = {}) {
    PointStore p;
    p.assign(std::move(times), std::move(values), std::move(currents));
    return p;
}

TEST(PickPoint, AtOneAndAHalfMinutesPicksThePointNearestTo90Seconds) {
    // 0 .. 3 min on 600 px: pixel 300 is 1.5 min. Points every 0.7 s: 89.6 s and 90.3 s lie
    // either side, 90.3 s is nearer.
    const GraphScale s = scaleFor({"0", "3", 1});
    std::vector<double> times = evenTimes(300, 0.7);
    std::vector<double> values(times.size(), 5e-9);
    const PointStore points = storeOf(times, values);
    const PointPick pick = pickPoint(s, points, H, 300, false);
    EXPECT_EQ(pick.Index, 129);
    EXPECT_EQ(pick.Time, "1.5050"); // 90.3 s in minutes, XDecimals 3 + 1
    EXPECT_EQ(pick.Value, "5.00");
    EXPECT_EQ(pick.Marker, (Point{301, H - 20})); // 90.3 s * 600 / 180 s, 5 nA * 4 px/nA
}

TEST(PickPoint, ShowsTheSmoothedValueLessTheZeroLine) {
    ScaleSettings st; // 0 .. 100 s, 0 .. 100 nA
    st.Zero = "1";
    GraphScale s = XYFactors(st, W, H, {}).Scale;
    s.DampingFactor = 0.5;
    const PointStore points = storeOf({0, 1, 2, 3}, {8e-9, 0, 4e-9, 2e-9});
    const PointPick pick = pickPoint(s, points, H, 18, false); // 3 s
    EXPECT_EQ(pick.Index, 3);
    EXPECT_DOUBLE_EQ(pick.Signal, 3e-9) << "raw smoothed value, zero line not taken off";
    EXPECT_EQ(pick.Value, "2.00");
    EXPECT_EQ(pick.Marker, (Point{18, H - 8}));
    EXPECT_FALSE(pick.HasCurrent);
}

TEST(PickPoint, BeforeTheFirstPointPicksPointZero) {
    const GraphScale s = scaleFor({"-10", "90"});
    const PointStore points = storeOf({0, 1, 2}, {1e-9, 2e-9, 3e-9});
    const PointPick pick = pickPoint(s, points, H, 0, false); // -10 s
    EXPECT_EQ(pick.Index, 0);
    EXPECT_EQ(pick.Time, "0.000");
    EXPECT_EQ(pick.Marker.x, 60);
}

TEST(PickPoint, CurrentOnlyWhereTheStoreKeptOne) {
    GraphScale s = scaleFor({});
    const PointStore with = storeOf({0, 1, 2}, {0, 0, 0}, {-1e-12, 0.5e-12, 1e-12});
    PointPick pick = pickPoint(s, with, H, 12, true); // 2 s
    ASSERT_TRUE(pick.HasCurrent);
    EXPECT_EQ(pick.Current, "1.000"); // pA, CurrentDecimals 3
    // -2 .. 2 pA on 400 px: 1 pA is 300 px from the bottom.
    EXPECT_EQ(pick.MarkerCurrentY, H - 300);
    EXPECT_FALSE(pickPoint(s, with, H, 12, false).HasCurrent) << "boxes not ticked";
    const PointStore without = storeOf({0, 1, 2}, {0, 0, 0});
    EXPECT_FALSE(pickPoint(s, without, H, 12, true).HasCurrent) << "no currents kept";
}

TEST(PickPoint, WildValuesGiveDrawablePixels) {
    const GraphScale s = scaleFor({});
    const PointStore points = storeOf({0}, {1e300});
    const PointPick pick = pickPoint(s, points, H, 0, false);
    EXPECT_EQ(pick.Marker.y, H - 10000);
}

TEST(ZeroLine, TextOfTheReadoutWithOneMoreDecimal) {
    const GraphScale s = scaleFor({}); // YDecimals 2
    EXPECT_EQ(zeroLineText(s, 12.3456e-9), "12.346");
    EXPECT_EQ(zeroLineText(s, -0.5e-9), "-0.500");
    // A read-out of 0.0625 nA is an exact half at three decimals; the unit conversion must
    // not decide it.
    EXPECT_EQ(zeroLineText(s, readNumber("0.0625") * 1e-9), text(0.0625, 3));
}

// ---- Drawing -----------------------------------------------------------------------------

TEST(FocusRect, FourEdgesThatShareNoPixelInvertingDots) {
    RecordingCanvas canvas;
    drawFocusRect(canvas, {10, 20, 15, 24}); // columns 10 .. 14, rows 20 .. 23
    std::vector<std::pair<Point, Point>> lines;
    for (const auto& call : canvas.calls()) {
        if (call.kind == RecordingCanvas::Kind::LineTo) {
            EXPECT_EQ(call.penMode, PenMode::Not);
            EXPECT_EQ(call.penStyle, PenStyle::Dotted);
        }
    }
    for (const auto& seg : canvas.segments()) lines.emplace_back(seg.from, seg.to);
    const std::vector<std::pair<Point, Point>> expected{
        {{10, 20}, {14, 20}}, {{14, 23}, {10, 23}}, {{10, 22}, {10, 21}}, {{14, 21}, {14, 22}}};
    EXPECT_EQ(lines, expected);
}

TEST(FocusRect, DragsLeftOrUpDrawTheSameFrameAndEmptyBandsNothing) {
    RecordingCanvas ordered, reversed, empty;
    drawFocusRect(ordered, {10, 20, 15, 24});
    drawFocusRect(reversed, {15, 24, 10, 20});
    EXPECT_EQ(ordered.segments(), reversed.segments());
    drawFocusRect(empty, {10, 20, 10, 40});
    drawFocusRect(empty, {10, 20, 30, 20});
    EXPECT_TRUE(empty.segments().empty());
}

QImage picture() {
    QImage img(80, 60, QImage::Format_RGB32);
    img.fill(QColor(200, 100, 50));
    QPainter p(&img);
    p.setPen(Qt::blue);
    p.drawLine(0, 0, 79, 59);
    return img;
}

int changedPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

template <class Draw> void drawOn(QImage& img, Draw draw) {
    QPainter p(&img);
    QPainterCanvas canvas(p);
    draw(canvas);
}

TEST(FocusRect, DrawnTwiceRestoresThePicture) {
    const QImage before = picture();
    const PixelRect bands[] = {{10, 10, 51, 41}, {5, 5, 6, 30}, {5, 5, 40, 6}, {70, 50, 90, 70}};
    for (const PixelRect& band : bands) {
        QImage img = before;
        drawOn(img, [&](Canvas& c) { drawFocusRect(c, band); });
        EXPECT_GT(changedPixels(before, img), 0);
        drawOn(img, [&](Canvas& c) { drawFocusRect(c, band); });
        EXPECT_EQ(changedPixels(before, img), 0) << band.Left << "," << band.Top;
    }
    // 41 x 31 pixels: every other pixel of each edge, each inverted once.
    QImage img = before;
    drawOn(img, [](Canvas& c) { drawFocusRect(c, {10, 10, 51, 41}); });
    EXPECT_EQ(changedPixels(before, img), 21 + 21 + 15 + 15);
    EXPECT_EQ(img.pixel(10, 10), before.pixel(10, 10) ^ 0x00FFFFFFu);
}

TEST(Cross, DrawnTwiceInNotModeRestoresThePicture) {
    const QImage before = picture();
    QImage img = before;
    auto cross = [](Canvas& c) {
        c.setPenMode(PenMode::Not);
        drawCross(c, {30, 25});
    };
    drawOn(img, cross);
    // Two 11-pixel lines; the centre is inverted by both and shows the picture.
    EXPECT_EQ(changedPixels(before, img), 20);
    EXPECT_EQ(img.pixel(30, 25), before.pixel(30, 25));
    EXPECT_EQ(img.pixel(25, 25), before.pixel(25, 25) ^ 0x00FFFFFFu);
    drawOn(img, cross);
    EXPECT_EQ(changedPixels(before, img), 0);
}

} // namespace
} // namespace varentis
