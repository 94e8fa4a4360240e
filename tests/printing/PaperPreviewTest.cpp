#include "printing/PaperPreview.h"

#include "ReportFixture.h"

#include <gtest/gtest.h>

namespace varentis {
namespace {

// A4 at 600 dpi: 4961 x 7016 pixels, 21.0 x 29.7 cm.
constexpr PaperPixels kA4{4961, 7016, 600, 600};
constexpr PaperPixels kA4Landscape{7016, 4961, 600, 600};

TEST(PaperPreview, OrientationDecidesTheSidesWhateverThePrinterHas) {
    for (const PaperPixels& paper : {kA4, kA4Landscape}) {
        const PaperPreview portrait = paperPreview(paper, false, "2.0", "2.0", "2.0", "2.0");
        EXPECT_EQ(portrait.Caption, "Size: 21.0 x 29.7 cm");
        EXPECT_EQ(portrait.Paper, (Rect{30, 36, 30 + 69, 36 + 97}));
        const PaperPreview landscape = paperPreview(paper, true, "2.0", "2.0", "2.0", "2.0");
        EXPECT_EQ(landscape.Caption, "Size: 29.7 x 21.0 cm");
        EXPECT_EQ(landscape.Paper, (Rect{16, 50, 16 + 97, 50 + 69}));
    }
}

TEST(PaperPreview, PrintableAreaFromTheMargins) {
    // Expected from the rules in exact fractions: W = 4961 x 254 / 60000 cm.
    auto scaled = [](std::int64_t panel, std::int64_t cmTenths, std::int64_t pixels) {
        // rnd(panel x cm / W) = rnd(panel x (cmTenths / 10) x 60000 / (pixels x 254))
        return static_cast<int>(test::roundHalfEven(panel * cmTenths * 6000, pixels * 254));
    };
    const PaperPreview p = paperPreview(kA4, false, "2.0", "1.0", "3.0", "4.0");
    EXPECT_EQ(p.Area.left, scaled(69, 20, 4961));
    EXPECT_EQ(p.Area.top, scaled(97, 10, 7016));
    const int width = static_cast<int>(
        test::roundHalfEven((4961LL * 254 - 50 * 600 * 10) * 69, 4961LL * 254)) - 1;
    const int height = static_cast<int>(
        test::roundHalfEven((7016LL * 254 - 50 * 600 * 10) * 97, 7016LL * 254));
    EXPECT_EQ(p.Area.width(), width);
    EXPECT_EQ(p.Area.height(), height);
}

TEST(PaperPreview, ZeroMarginsReachThePapersEdgeOnePixelNarrower) {
    for (bool landscape : {false, true}) {
        const PaperPreview p = paperPreview(kA4, landscape, "0", "0", "0", "0");
        EXPECT_EQ(p.Area, (Rect{0, 0, p.Paper.width() - 1, p.Paper.height()})) << landscape;
    }
    // Text that is not a number is a margin of 0 too; no paper known shows all of it.
    EXPECT_EQ(paperPreview(kA4, false, "x", "", "-", "0,5").Area, (Rect{0, 0, 68, 97}));
    const PaperPreview none = paperPreview({}, false, "2", "2", "2", "2");
    EXPECT_EQ(none.Caption, "Size: 0.0 x 0.0 cm");
    EXPECT_EQ(none.Area, (Rect{0, 0, 68, 97}));
}

} // namespace
} // namespace varentis
