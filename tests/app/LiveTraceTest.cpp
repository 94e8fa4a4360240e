// The live trace of a run across a full redraw: a resize or an axis typed during the run
// moves every stored point, and the next live segment must go on from where the last point
// now is.
#include "AppFixture.h"

#include "widgets/PaintBox.h"

#include <QImage>

using namespace varentis;
using namespace varentis::test;

namespace {

class LiveTraceTest : public AppTest {
protected:
    // The rows of the signal trace's colour in the plot's columns x0 .. x1.
    std::pair<int, int> traceRows(int x0, int x1) {
        const QImage& image = control<PaintBox>("PaintBox2")->image();
        const ColorRef c = form->plot().Colors.PMT;
        const QRgb pmt = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        int top = image.height(), bottom = -1;
        for (int x = std::max(x0, 0); x <= x1 && x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if ((image.pixel(x, y) & 0xFFFFFF) == (pmt & 0xFFFFFF)) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return {top, bottom};
    }
};

TEST_F(LiveTraceTest, AfterAResizeOrAnAxisChangeTheTraceGoesOnFromTheLastPoint) {
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"Y max typed", [this] {
             edit("Edit3")->selectAll();
             QTest::keyClicks(edit("Edit3"), "25");
         }},
        {"Y min typed", [this] {
             edit("Edit2")->selectAll();
             QTest::keyClicks(edit("Edit2"), "-300");
         }},
        {"window taller", [this] { form->resize(form->width(), form->height() + 150); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        openWindow();
        startRun();
        ticks(10);
        const PointStore& store = form->store();
        ASSERT_GT(store.Count, 5);
        const double lastTime = store.Times[static_cast<std::size_t>(store.Count - 1)];
        c.change();
        QApplication::processEvents();
        form->Timer2Timer();
        const int drawnBefore = store.Count;
        ticks(3);
        ASSERT_GT(store.Count, drawnBefore);
        // From the last point before the change to the first after it: the signal holds
        // steady (the detector's dark current), so the segment stays within a few rows.
        const GraphScale& s = form->plot().scale();
        const int x0 = static_cast<int>(std::lround((lastTime - s.XMin) * s.XScale));
        const int x1 = static_cast<int>(
            std::lround((store.Times[static_cast<std::size_t>(drawnBefore)] - s.XMin) * s.XScale));
        const auto [top, bottom] = traceRows(x0, x1);
        ASSERT_GE(bottom, 0) << "no trace in columns " << x0 << " .. " << x1;
        EXPECT_LE(bottom - top, 6) << "rows " << top << " .. " << bottom;
        click("BitBtn3");
    }
}

} // namespace
