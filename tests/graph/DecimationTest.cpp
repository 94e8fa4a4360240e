#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "graph/SignalGraph.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace varentis {
namespace {

constexpr int W = 600;
constexpr int H = 400;

QImage render(const std::vector<Point>& trace) {
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    canvas.setPen(rgb(0, 0, 255));
    canvas.polyline(trace);
    painter.end();
    return image;
}

// A noisy signal with spikes, plateaus and excursions beyond the plot, many points per
// pixel column in the middle and few at the ends.
PointStore noisySignal(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 8e-9);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    PointStore store;
    store.startRun(static_cast<int>(n), true);
    double t = -3.0;
    for (std::size_t i = 0; i < n; ++i) {
        double step = (i < n / 10 || i > n - n / 10) ? 0.4 : 100.0 / static_cast<double>(n);
        t += step;
        double base = 50e-9 + 30e-9 * std::sin(t / 7.0);
        double spike = uniform(gen) < 0.001 ? (uniform(gen) - 0.5) * 400e-9 : 0.0;
        double flat = (static_cast<int>(t) % 17 == 3) ? 0.0 : 1.0;
        store.append(t, base * flat + noise(gen) + spike, base * 1e-4 + noise(gen) * 1e-4);
    }
    return store;
}

TEST(Decimation, SetsTheSamePixelsAsEveryPoint) {
    struct Case {
        double damping;
        std::size_t points;
        unsigned seed;
    };
    const Case cases[] = {{0.0, 200000, 1}, {0.9, 200000, 2}, {0.0, 3000, 3}, {0.5, 50, 4}};
    for (const Case& c : cases) {
        PointStore store = noisySignal(c.points, c.seed);
        ScaleSettings settings;
        GraphScale scale = XYFactors(settings, W, H, {}).Scale;
        scale.DampingFactor = c.damping;
        std::vector<Point> full, decimated;
        double dampedFull = buildSignalTrace(scale, store, H, false, full);
        double dampedDecimated = buildSignalTrace(scale, store, H, true, decimated);
        EXPECT_EQ(dampedFull, dampedDecimated);
        EXPECT_EQ(full.size(), c.points);
        if (c.points > 10000) {
            EXPECT_LT(decimated.size(), c.points / 20);
        }
        EXPECT_EQ(decimated.front(), full.front());
        EXPECT_EQ(decimated.back(), full.back());
        QImage a = render(full);
        QImage b = render(decimated);
        EXPECT_TRUE(a == b) << "damping " << c.damping << ", " << c.points << " points";
        int drawn = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) drawn += a.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(drawn, W / 2); // the comparison is of a real trace, not of two blanks

        buildCurrentTrace(scale, store, H, false, full);
        buildCurrentTrace(scale, store, H, true, decimated);
        EXPECT_TRUE(render(full) == render(decimated)) << "current trace";
    }
}

TEST(QPainterCanvas, RectangleCoversTheBoxExactly) {
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.setPen(rgb(0, 0, 0));
        canvas.setBrushColor(rgb(255, 0, 0));
        canvas.rectangle(2, 1, 12, 9);
    }
    EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(11, 8), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(12, 8), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(11, 9), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
}

TEST(QPainterCanvas, DottedPenDotsEveryOtherPixelAndSolidAfterItIsWhole) {
    QImage image(20, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.setPen(rgb(0, 0, 0), PenStyle::Dotted);
        canvas.moveTo(0, 1);
        canvas.lineTo(19, 1);
        canvas.setPen(rgb(0, 0, 255), PenStyle::Solid);
        canvas.moveTo(0, 2);
        canvas.lineTo(19, 2);
    }
    int dots = 0;
    for (int x = 0; x < 20; ++x) {
        dots += image.pixel(x, 1) == qRgb(0, 0, 0);
        EXPECT_EQ(image.pixel(x, 2), qRgb(0, 0, 255)) << x;
    }
    EXPECT_EQ(dots, 10);
}

} // namespace
} // namespace varentis
