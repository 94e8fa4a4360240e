#include "AppFixture.h"

#include "core/NumberText.h"
#include "documents/ProfileStore.h"
#include "documents/SettingsFile.h"
#include "graph/PlotCursor.h"
#include "graph/QPainterCanvas.h"
#include "widgets/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

using namespace varentis;
using namespace varentis::test;

namespace {

class ZoomReadoutTest : public AppTest {
protected:
    PaintBox* plotBox() { return control<PaintBox>("PaintBox2"); }
    int plotWidth() { return plotBox()->width(); }
    int plotHeight() { return plotBox()->height(); }

    // What the mouse sends, as the window system delivers it to the plot.
    void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
               QPoint at) {
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    void rightDrag(QPoint from, std::initializer_list<QPoint> path) {
        mouse(plotBox(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, from);
        QPoint last = from;
        for (QPoint p : path) {
            mouse(plotBox(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, p);
            last = p;
        }
        mouse(plotBox(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, last);
    }
    void leftClick(QPoint at) {
        mouse(plotBox(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
        mouse(plotBox(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
    }
    void doubleClick(QWidget* w, QPoint at) {
        mouse(w, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
        mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
        mouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, at);
        mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
    }
    // The redraw the last change asked for, now.
    void redrawNow() {
        if (form->timer2().isActive()) form->Timer2Timer();
    }
    void setAxes(const QString& xMin, const QString& xMax, const QString& yMin,
                 const QString& yMax) {
        edit("Edit4")->setText(xMin);
        edit("Edit5")->setText(xMax);
        edit("Edit2")->setText(yMin);
        edit("Edit3")->setText(yMax);
        redrawNow();
    }
    // One pixel of the plot is one second and one nanoampere.
    void pixelAxes() {
        QApplication::processEvents();
        form->DrawGraph(); // the plot has its final size
        setAxes("0", QString::number(plotWidth()), "0", QString::number(plotHeight()));
    }
    QString axisText(double value, int decimals) { return QString::number(value, 'f', decimals); }
    QImage plotImage() { return plotBox()->image().copy(); }
    void storePoints(std::vector<double> times, std::vector<double> signalValues,
                     std::vector<double> currents = {}) {
        form->store().assign(std::move(times), std::move(signalValues), std::move(currents));
        form->DrawGraph();
    }
};

int differingPixels(const QImage& a, const QImage& b, QRect outside = {}) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && !outside.contains(x, y)) ++n;
    return n;
}

// ---- Zoom ------------------------------------------------------------------------------

TEST_F(ZoomReadoutTest, ReadoutPanelsTellWhatTheyShow) {
    openWindow();
    const std::pair<const char*, const char*> hints[] = {
        {"Panel5", "Current status of the program"},
        {"Panel6", "Current value of time axis"},
        {"Panel7", "Current value of signal axis"},
        {"Panel8", "Number of current point"},
        {"Panel9", "Additional information"}};
    for (auto [name, hint] : hints) EXPECT_EQ(control<QLabel>(name)->toolTip(), hint) << name;
}

TEST_F(ZoomReadoutTest, ZoomTwiceThenOneDoubleClickGoesBackToTheFirstLimits) {
    openWindow();
    pixelAxes();
    const int w = plotWidth(), h = plotHeight();
    const QString xMax = QString::number(w), yMax = QString::number(h);
    const GraphScale before = form->plot().scale();

    // The band from (w/4, h/4) to (w/2, h/2): seconds and nanoamperes read off the pixels,
    // time with one decimal more than the axis, signal with the axis' decimals.
    rightDrag({w / 4, h / 4}, {{w / 3, h / 3}, {w / 2, h / 2}});
    EXPECT_TRUE(form->Zoomed());
    EXPECT_EQ(edit("Edit4")->text(), axisText(w / 4, before.XDecimals + 1));
    EXPECT_EQ(edit("Edit5")->text(), axisText(w / 2, before.XDecimals + 1));
    EXPECT_EQ(edit("Edit3")->text(), axisText(h - h / 4, before.YDecimals));
    EXPECT_EQ(edit("Edit2")->text(), axisText(h - h / 2, before.YDecimals));
    EXPECT_EQ(panel("Panel5"), "Zoom");
    EXPECT_EQ(panel("Panel6"), "");
    EXPECT_EQ(panel("Panel7"), "");
    EXPECT_TRUE(form->timer2().isActive()) << "the new limits ask for a redraw";
    redrawNow();
    EXPECT_EQ(control<QLabel>("Label7")->text(), edit("Edit4")->text());

    // The second zoom narrows further and keeps the limits from before the first.
    const QString firstXMin = edit("Edit4")->text();
    rightDrag({w / 2, h / 2}, {{w - 1, h - 1}});
    redrawNow();
    EXPECT_TRUE(form->Zoomed());
    EXPECT_GT(readNumber(edit("Edit4")->text().toStdString()),
              readNumber(firstXMin.toStdString()));
    EXPECT_EQ(form->SavedAxisTexts(), (AxisTexts{"0", xMax.toStdString(), "0", yMax.toStdString()}));

    doubleClick(plotBox(), {10, 10});
    EXPECT_FALSE(form->Zoomed());
    EXPECT_EQ(edit("Edit4")->text(), "0");
    EXPECT_EQ(edit("Edit5")->text(), xMax);
    EXPECT_EQ(edit("Edit2")->text(), "0");
    EXPECT_EQ(edit("Edit3")->text(), yMax);
    EXPECT_EQ(panel("Panel5"), "");
    redrawNow();
    EXPECT_EQ(form->plot().scale().XMax, before.XMax);
}

TEST_F(ZoomReadoutTest, DragsLeftOrUpwardsOrAClickLeaveZoomAndTheLimits) {
    openWindow();
    pixelAxes();
    const int w = plotWidth(), h = plotHeight();
    struct Case {
        const char* what;
        QPoint from;
        QPoint to;
        bool bandStays;
    };
    const Case cases[] = {
        {"to the left", {w / 2, h / 4}, {w / 4, h / 2}, true},
        {"upwards", {w / 4, h / 2}, {w / 2, h / 4}, true},
        {"left and up", {w / 2, h / 2}, {w / 4, h / 4}, true},
        {"a click", {w / 2, h / 2}, {w / 2, h / 2}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->DrawGraph();
        const QImage clean = plotImage();
        rightDrag(c.from, {c.to});
        EXPECT_EQ(panel("Panel5"), "Zoom");
        EXPECT_FALSE(form->Zoomed());
        EXPECT_EQ(edit("Edit4")->text(), "0");
        EXPECT_EQ(edit("Edit5")->text(), QString::number(w));
        EXPECT_FALSE(form->timer2().isActive()) << "nothing to redraw";
        // The last band stays on the plot until the next redraw.
        EXPECT_EQ(differingPixels(clean, plotImage()) > 0, c.bandStays);
    }
}

TEST_F(ZoomReadoutTest, TheBandFollowsTheMouseAndShowsWhereItIs) {
    openWindow();
    pixelAxes();
    const int w = plotWidth(), h = plotHeight();
    const QImage clean = plotImage();
    const QPoint from(w / 5, h / 5), via(w / 2, h / 3), to(w / 3, h / 2);
    mouse(plotBox(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, from);
    EXPECT_EQ(panel("Panel5"), "Zoom");
    mouse(plotBox(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, via);
    mouse(plotBox(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, to);
    const GraphScale s = form->plot().scale();
    EXPECT_EQ(panel("Panel6"), axisText(to.x(), s.XDecimals + 1) + " s");
    EXPECT_EQ(panel("Panel7"), axisText(h - to.y(), s.YDecimals) + " nA");

    // Only the band to the last position is on the plot: the one before was inverted back.
    QImage expected = clean;
    {
        QPainter p(&expected);
        QPainterCanvas canvas(p);
        drawFocusRect(canvas, {from.x(), from.y(), to.x(), to.y()});
    }
    EXPECT_EQ(differingPixels(expected, plotImage()), 0);
    mouse(plotBox(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, to);
    EXPECT_TRUE(form->Zoomed());
}

TEST_F(ZoomReadoutTest, ClosingWhileZoomedStoresTheLimitsFromBeforeTheZoom) {
    openWindow();
    setAxes("5", "65", "-20", "80");
    const int w = plotWidth(), h = plotHeight();
    rightDrag({w / 4, h / 4}, {{w / 2, h / 2}});
    rightDrag({w / 4, h / 4}, {{w / 2, h / 2}});
    ASSERT_TRUE(form->Zoomed());
    ASSERT_NE(edit("Edit4")->text(), "5");
    EXPECT_TRUE(form->close());

    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Setup", "X min", "?"), "5");
    EXPECT_EQ(stored.readString("Setup", "X max", "?"), "65");
    EXPECT_EQ(stored.readString("Setup", "Y min", "?"), "-20");
    EXPECT_EQ(stored.readString("Setup", "Y max", "?"), "80");

    openWindow();
    EXPECT_EQ(edit("Edit4")->text(), "5");
    EXPECT_EQ(edit("Edit3")->text(), "80");
    EXPECT_FALSE(form->Zoomed());
    EXPECT_EQ(panel("Panel5"), "");
}

TEST_F(ZoomReadoutTest, ZoomDuringARunGivesBackItsStatusAndSurvivesStop) {
    openWindow();
    startRun();
    ticks(3);
    const int w = plotWidth(), h = plotHeight();
    mouse(plotBox(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {10, 10});
    EXPECT_EQ(panel("Panel5"), "Zoom");
    ticks(1); // points go on arriving during the drag
    mouse(plotBox(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, {w / 2, h / 2});
    mouse(plotBox(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {w / 2, h / 2});
    EXPECT_TRUE(form->Zoomed());
    EXPECT_EQ(panel("Panel5"), "Measuring");
    redrawNow();
    ticks(2);
    EXPECT_EQ(panel("Panel5"), "Measuring");

    // A left click during the run picks nothing.
    const QString point = panel("Panel8");
    leftClick({w / 4, h / 4});
    EXPECT_EQ(panel("Panel8"), point);
    EXPECT_FALSE(form->plot().MarkerShown);

    click("BitBtn3");
    EXPECT_EQ(panel("Panel5"), "Zoom") << "stopped while zoomed";
    // A double-click on a stopped, zoomed plot empties the status.
    doubleClick(plotBox(), {5, 5});
    EXPECT_EQ(panel("Panel5"), "");
    EXPECT_FALSE(form->Zoomed());
}

// ---- Cursor read-out ----------------------------------------------------------------------

TEST_F(ZoomReadoutTest, PickAtOneAndAHalfMinutesShowsThePointNearestTo90Seconds) {
    openWindow();
    control<QComboBox>("ComboBox2")->setCurrentIndex(1); // min
    // 1 pixel = 0.005 min = 0.3 s, so 1.5 min is pixel 300.
    QApplication::processEvents();
    form->DrawGraph();
    const int w = plotWidth();
    ASSERT_GT(w, 300);
    setAxes("0", QString::number(w / 200.0, 'f', 3), "0", "100");
    std::vector<double> times, values;
    for (int i = 0; i < 400; ++i) {
        times.push_back(0.7 * i); // 89.6 s and 90.3 s lie either side of 90 s
        values.push_back(20e-9);
    }
    storePoints(times, values);
    leftClick({300, 50});
    EXPECT_EQ(panel("Panel8"), "129");
    EXPECT_EQ(panel("Panel5"), "129");
    EXPECT_EQ(panel("Panel6"), "1.5050 min"); // 90.3 s in minutes, XDecimals 3 + 1
    EXPECT_EQ(panel("Panel7"), "20.00 nA");
    EXPECT_TRUE(form->plot().MarkerShown);
}

TEST_F(ZoomReadoutTest, PickBeforeTheFirstPointAndWithDamping) {
    openWindow();
    pixelAxes();
    setAxes("-20", QString::number(plotWidth() - 20), "0", "100");
    edit("Edit7")->setText("50"); // % damping
    redrawNow();
    storePoints({0, 1, 2, 3, 4}, {8e-9, 0, 4e-9, 2e-9, 6e-9});

    leftClick({0, 10}); // -20 s
    EXPECT_EQ(panel("Panel8"), "0");
    EXPECT_EQ(panel("Panel7"), "8.00 nA");

    leftClick({23, 10}); // 3 s: 8 -> 4 -> 4 -> 3 nA as the plot draws it
    EXPECT_EQ(panel("Panel8"), "3");
    EXPECT_EQ(panel("Panel6"), "3.00 s");
    EXPECT_EQ(panel("Panel7"), "3.00 nA");
    EXPECT_DOUBLE_EQ(form->plot().ReadoutSignal, 3e-9);
}

TEST_F(ZoomReadoutTest, APickShowsTheCurrentWhenThePotentiostatTraceIsShown) {
    openWindow();
    pixelAxes();
    control<QCheckBox>("DrawCurrent")->setChecked(true);
    redrawNow();
    storePoints({0, 1, 2}, {1e-9, 2e-9, 3e-9}, {-1e-12, 0.5e-12, 1.25e-12});
    leftClick({2, 10});
    EXPECT_EQ(panel("Panel9"), "Potentiostat: 1.250 pA");

    // A file without currents shows none, however the boxes are ticked.
    storePoints({0, 1, 2}, {1e-9, 2e-9, 3e-9});
    leftClick({1, 10});
    EXPECT_EQ(panel("Panel8"), "1");
    EXPECT_EQ(panel("Panel9"), "");
}

TEST_F(ZoomReadoutTest, AMarkerDrawnAgainIsGoneAndOnlyTheNewOneStays) {
    openWindow();
    pixelAxes();
    std::vector<double> times, values;
    for (int i = 0; i < 200; ++i) {
        times.push_back(i);
        values.push_back((i % 7) * 1e-9 + 30e-9);
    }
    storePoints(times, values);
    const QImage clean = plotImage();

    leftClick({40, 10});
    const QImage first = plotImage();
    EXPECT_GT(differingPixels(clean, first), 0);
    const QPoint firstMarker(form->plot().MarkerX, form->plot().MarkerY);
    // The same point again: the old cross erased, the new one drawn, the same picture.
    leftClick({40, 10});
    EXPECT_EQ(differingPixels(first, plotImage()), 0);

    leftClick({120, 10});
    const QPoint second(form->plot().MarkerX, form->plot().MarkerY);
    ASSERT_GT(std::abs(second.x() - firstMarker.x()), 20);
    // Nothing of the first cross is left: the picture differs only where the second is.
    EXPECT_EQ(differingPixels(clean, plotImage(), QRect(second - QPoint(5, 5), QSize(11, 11))), 0);

    // A double-click on the plot (not zoomed) redraws at once: no marker, read-outs empty.
    const int redraws = form->redrawCount();
    doubleClick(plotBox(), {120, 10});
    EXPECT_EQ(form->redrawCount(), redraws + 1);
    EXPECT_FALSE(form->plot().MarkerShown);
    EXPECT_EQ(differingPixels(clean, plotImage()), 0);
    for (const char* p : {"Panel5", "Panel6", "Panel7", "Panel8", "Panel9"})
        EXPECT_EQ(panel(p), "") << p;
}

TEST_F(ZoomReadoutTest, ALeftClickPicksNothingDuringARunOrAPauseOrWithoutPoints) {
    openWindow();
    pixelAxes();
    leftClick({50, 50});
    EXPECT_FALSE(form->plot().MarkerShown) << "no points";
    EXPECT_EQ(panel("Panel8"), "");

    startRun();
    ticks(4);
    click("BitBtn2");
    ASSERT_EQ(form->runState(), RunState::Paused);
    const QString status = panel("Panel5"), point = panel("Panel8");
    leftClick({1, 50});
    EXPECT_EQ(panel("Panel5"), status);
    EXPECT_EQ(panel("Panel8"), point);
    EXPECT_FALSE(form->plot().MarkerShown);
    click("BitBtn3");
    leftClick({1, 50});
    EXPECT_TRUE(form->plot().MarkerShown) << "stopped, with points";
}

// ---- Zero line ----------------------------------------------------------------------------

TEST_F(ZoomReadoutTest, SetZeroLineTakesTheReadoutAndTwiceChangesNothing) {
    openWindow();
    pixelAxes();
    edit("Edit3")->setText("100"); // 0 .. 100 nA: YDecimals 2
    redrawNow();
    storePoints({0, 1, 2}, {12.3456e-9, 12.3456e-9, 12.3456e-9});

    // Without a read-out there is nothing to take.
    form->Setzeroline1Click();
    EXPECT_EQ(edit("Edit8")->text(), "0");

    leftClick({1, 10});
    ASSERT_EQ(panel("Panel7"), "12.35 nA");
    form->activateWindow();
    QTest::keyClick(form, Qt::Key_F12); // Work > Set zero line
    EXPECT_EQ(edit("Edit8")->text(), "12.346");
    EXPECT_EQ(panel("Panel7"), "0.00 nA") << "the read-out stands on the new zero line";
    EXPECT_TRUE(form->timer2().isActive());
    redrawNow();

    // The raw value is kept: a second time gives the same zero line and no redraw.
    doubleClick(control<QLabel>("Panel7"), {5, 5});
    EXPECT_EQ(edit("Edit8")->text(), "12.346");
    EXPECT_FALSE(form->timer2().isActive());

    // A pick after it reads (nearly) 0 as well.
    leftClick({2, 10});
    EXPECT_EQ(panel("Panel7"), "0.00 nA");
}

// ---- With the acquisition on its own thread ----------------------------------------------

TEST_F(ZoomReadoutTest, PicksAndZoomsWhileTheThreadAppendsPoints) {
    openWindow(Acquisition::Mode::Thread);
    pixelAxes();
    click("BitBtn1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->store().Count >= 5; }, 20000));
    const int w = plotWidth(), h = plotHeight();

    // Left clicks while the points arrive pick nothing; the zoom works as when stopped.
    for (int i = 0; i < 5; ++i) {
        leftClick({i * 3, h / 2});
        QTest::qWait(20);
    }
    EXPECT_FALSE(form->plot().MarkerShown);
    rightDrag({0, 0}, {{w / 2, h / 2}, {w - 2, h - 2}});
    EXPECT_TRUE(form->Zoomed());
    EXPECT_EQ(panel("Panel5"), "Measuring");
    const int before = form->store().Count;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->store().Count >= before + 3; }, 20000));

    click("BitBtn3");
    ASSERT_EQ(form->runState(), RunState::Stopped);
    doubleClick(plotBox(), {1, 1});
    redrawNow();
    const PointStore& points = form->store();
    // Every pixel across the plot and beyond picks a point of the store, the nearest one.
    for (int x = -5; x <= w + 5; x += 7) {
        leftClick({x, 10});
        const int picked = panel("Panel8").toInt();
        ASSERT_GE(picked, 0);
        ASSERT_LT(picked, points.Count);
        const double t = x / form->plot().scale().XScale + form->plot().scale().XMin;
        double best = 1e300;
        for (int i = 0; i < points.Count; ++i) best = std::min(best, std::fabs(points.Times[i] - t));
        EXPECT_NEAR(std::fabs(points.Times[picked] - t), best, 1e-9) << "x " << x;
    }
}

} // namespace
