#include "graph/QPainterCanvas.h"
#include "graph/RecordingCanvas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace varentis {
namespace {

QImage draw(const std::function<void(Canvas&)>& paint) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    paint(canvas);
    return image;
}

int count(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}

TEST(QPainterCanvas, TextTakesTheFontsColourAndLeavesThePenAlone) {
    const QImage image = draw([](Canvas& c) {
        c.setPen(rgb(255, 0, 0));
        c.setFont({"Arial", 14, true, false, rgb(0, 0, 255)});
        c.textOut(5, 5, "Varentis");
        c.moveTo(0, 50);
        c.lineTo(199, 50);
    });
    EXPECT_GT(count(image, qRgb(0, 0, 255)), 50) << "the text in blue";
    EXPECT_EQ(count(image, qRgb(255, 0, 0)), 200) << "the line after it still red";
}

TEST(QPainterCanvas, FontHeightGrowsWithItsSizeAndTheDevicesResolution) {
    QImage screen(10, 10, QImage::Format_RGB32), paper(10, 10, QImage::Format_RGB32);
    paper.setDotsPerMeterX(23622); // 600 dpi
    paper.setDotsPerMeterY(23622);
    auto height = [](QImage& image, int points) {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.setFont({"Arial", points, false, false, 0});
        return canvas.textExtent("Xg").cy;
    };
    EXPECT_GT(height(screen, 14), height(screen, 12));
    EXPECT_GT(height(paper, 12), 5 * height(screen, 12)) << "600 against 96 dpi";
}

TEST(QPainterCanvas, DashedLinesLeaveGapsAndWidePensRoundTheirEnds) {
    const QImage dashed = draw([](Canvas& c) {
        c.setPen(rgb(0, 0, 0), PenStyle::Dashed);
        c.moveTo(0, 30);
        c.lineTo(199, 30);
    });
    const int black = count(dashed, qRgb(0, 0, 0));
    EXPECT_GT(black, 100);
    EXPECT_LT(black, 160) << "a third of the line is gaps";

    const QImage wide = draw([](Canvas& c) {
        c.setPen(rgb(0, 0, 0), PenStyle::Solid, 9);
        c.moveTo(50, 30);
        c.lineTo(150, 30);
    });
    EXPECT_EQ(wide.pixel(52, 30), qRgb(0, 0, 0)) << "inside";
    EXPECT_EQ(wide.pixel(47, 30), qRgb(0, 0, 0)) << "the round end reaches past the point";
    EXPECT_EQ(wide.pixel(46, 26), qRgb(255, 255, 255)) << "but not its corner";
}

TEST(RecordingCanvas, KeepsTheFontOfEachTextAndSizesItsCells) {
    RecordingCanvas c;
    EXPECT_EQ(c.textExtent("abc"), (Size{21, 13}));
    c.setFont({"Courier", 10, false, true, rgb(1, 2, 3)});
    c.textOut(1, 2, "abc");
    EXPECT_EQ(c.textExtent("abc"), (Size{15, 20}));
    ASSERT_EQ(c.textCalls().size(), 1u);
    EXPECT_EQ(c.textCalls()[0].font.Name, "Courier");
    EXPECT_TRUE(c.textCalls()[0].font.Italic);
}

} // namespace
} // namespace varentis
