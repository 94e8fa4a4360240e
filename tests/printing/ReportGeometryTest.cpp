#include "ReportFixture.h"

#include <gtest/gtest.h>

namespace varentis {
namespace {

using test::Report;

TEST(ReportGeometry, PageGeometryAtFixedPageSizesAndResolutions) {
    const struct {
        const char* what;
        PrinterPage page;
        const char *left, *right, *top, *bottom;
        int offX, offY, L, R, T, B, G, I;
    } cases[] = {
        // rnd(600 x 2 / 2.54) = rnd(472.44) = 472, less the unprintable 80 and 108.
        {"A4 at 600 dpi, 2 cm", test::a4Page(), "2.0", "2.0", "2.0", "2.0", 80, 108, 392, 392,
         364, 364, 3400, 121},
        // Letter landscape at 300 dpi: 1.27 cm is exactly 150 pixels; a margin of 0 lies
        // inside the unprintable border and comes out negative.
        {"letter landscape at 300 dpi", {3200, 2450, 3300, 2550, 300, 300}, "1.27", "2.54", "2.54",
         "0", 50, 50, 100, 250, 250, -50, 1375, 45},
        // At 127 dpi 0.05 cm is 2.5 pixels (to the even 2), 0.03 cm 1.5 (to 2), 0.01 cm 0.5
        // (to 0); odd borders divide toward zero.
        {"halves at 127 dpi", {1000, 1400, 1003, 1401, 127, 127}, "0.05", "0.03", "0.01", "0.05",
         1, 0, 1, 1, 0, 2, 699, 27},
        // Text that is not a number is a margin of 0.
        {"unreadable margins", {1000, 1400, 1000, 1400, 100, 100}, "abc", "", "1,5", "2 cm", 0,
         0, 0, 0, 0, 0, 700, 28},
    };
    for (const auto& c : cases) {
        Report r;
        r.page = c.page;
        r.setup.Left = c.left;
        r.setup.Right = c.right;
        r.setup.Top = c.top;
        r.setup.Bottom = c.bottom;
        const ReportGeometry g = reportGeometry(r.page, r.setup, r.content);
        EXPECT_EQ(g.PW, c.page.Width) << c.what;
        EXPECT_EQ(g.PH, c.page.Height) << c.what;
        EXPECT_EQ(g.offX, c.offX) << c.what;
        EXPECT_EQ(g.offY, c.offY) << c.what;
        EXPECT_EQ(g.L, c.L) << c.what;
        EXPECT_EQ(g.R, c.R) << c.what;
        EXPECT_EQ(g.T, c.T) << c.what;
        EXPECT_EQ(g.B, c.B) << c.what;
        EXPECT_EQ(g.G, c.G) << c.what;
        EXPECT_EQ(g.I, c.I) << c.what;
        EXPECT_DOUBLE_EQ(g.Sx, (g.PW - g.L - g.R) / 100.0) << c.what;
        EXPECT_DOUBLE_EQ(g.Sy, (g.PH - g.T - g.B) * 0.5 / 100e-9) << c.what;
        EXPECT_EQ(g.n, 0) << c.what;
        EXPECT_EQ(g.V1, g.G - g.I) << c.what;
        EXPECT_EQ(g.V0, g.V1) << c.what;
    }
}

TEST(ReportGeometry, ValveBoxHoldsOneLaneForEveryLineThatNamesAValve) {
    const struct {
        const char* program;
        bool shown;
        int n;
    } cases[] = {
        {"", true, 0},
        {"V3=5,2\nV1=0,10", true, 2},
        {"V1=5\nV1=3", true, 2}, // named twice: the earlier lane stays empty, as on screen
        {"V3=5,2\nV1=0,10", false, 0}, // "Show valves" unticked: no lanes
    };
    for (const auto& c : cases) {
        Report r;
        r.valveProgram(c.program, c.shown);
        r.content.Valves = &r.valves;
        const ReportGeometry g = reportGeometry(r.page, r.setup, r.content);
        EXPECT_EQ(g.n, c.n) << c.program;
        EXPECT_EQ(g.V1, 3400 - 121) << c.program;
        EXPECT_EQ(g.V0, g.V1 - c.n * 121) << c.program;
    }
}

TEST(ReportGeometry, TimesAndValuesLandOnThePlotAsTheRulesRoundThem) {
    Report r;
    r.timeAxis(-10, 90);
    r.signalAxis("-5", "5");
    const ReportGeometry g = reportGeometry(r.page, r.setup, r.content);
    EXPECT_EQ(g.x(-10), g.L);
    EXPECT_EQ(g.x(90), g.PW - g.R);
    EXPECT_EQ(g.x(0), g.L + static_cast<int>(rnd(10 * g.Sx)));
    EXPECT_EQ(g.y(5e-9), g.G);
    EXPECT_EQ(g.y(-5e-9), g.PH - g.B);
    EXPECT_EQ(g.y(0), g.G + (g.PH - g.T - g.B) / 4);
    // Far outside the page the coordinates stay numbers the painter can take.
    EXPECT_GT(g.x(1e30), 0);
    EXPECT_LT(g.y(1e30), 0);
    EXPECT_EQ(g.x(std::numeric_limits<double>::quiet_NaN()), g.L);
}

} // namespace
} // namespace varentis
