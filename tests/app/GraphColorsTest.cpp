#include "AppFixture.h"

#include "documents/SettingsFile.h"
#include "graph/colors.h"
#include "widgets/PaintBox.h"
#include "widgets/Shape.h"

#include <QColorDialog>

using namespace varentis;
using namespace varentis::test;

namespace {

class GraphColorsTest : public AppTest {
  protected:
    // Opens Setup > Graph setup; `act` works in the dialog while it shows, then it closes.
    void graphSetup(std::function<void(TGColor*)> act) {
        bool shown = false;
        whenModal<TGColor>(modalGuard.get(), [&](TGColor* dialog) {
            shown = true;
            act(dialog);
            QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        });
        action("Graphsetup1")->trigger();
        EXPECT_TRUE(shown);
    }
    static QColor qcolor(ColorRef c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
};

TEST_F(GraphColorsTest, TheDialogShowsItsButtonsAndTheColoursInItsSamples) {
    openWindow();
    graphSetup([](TGColor* d) {
        EXPECT_EQ(d->windowTitle(), "Graph colors");
        const std::pair<QPushButton*, const char*> buttons[] = {
            {d->Button1, "&Close"},
            {d->Button2, "Valve line color"},
            {d->Button3, "Background color"},
            {d->Button4, "PMT line color"},
            {d->Button5, "Potential line color"},
            {d->Button6, "Current line color"},
            {d->Button7, "Pump line color"},
            {d->Button8, "Background color"}};
        for (auto [button, text] : buttons)
            EXPECT_EQ(button->text(), text);
        EXPECT_EQ(d->Button3->parentWidget()->property("title").toString(), "Valve graph");
        EXPECT_EQ(d->Button8->parentWidget()->property("title").toString(), "Main graph");

        const GraphColors defaults;
        EXPECT_EQ(d->Shape1->brushColor(), qcolor(defaults.ValveBkg));
        EXPECT_EQ(d->Shape3->penColor(), qcolor(defaults.Valves));
        EXPECT_EQ(d->Shape4->penColor(), qcolor(defaults.Valves));
        EXPECT_FALSE(d->Shape4->filled()) << "the valve pulse is an outline";
        EXPECT_EQ(d->Shape2->brushColor(), qcolor(defaults.Bkg));
        EXPECT_EQ(d->Shape5->penColor(), QColor(0, 0, 255));
        EXPECT_EQ(d->Shape6->penColor(), QColor(0, 0, 255));
        EXPECT_EQ(d->Shape7->penColor(), QColor(0, 255, 0));
        EXPECT_EQ(d->Shape8->penColor(), QColor(255, 0, 0));
        EXPECT_EQ(d->Shape9->penColor(), QColor(128, 128, 128));
    });
}

TEST_F(GraphColorsTest, CancelledColourDialogsChangeNothingButTheGraphIsRedrawn) {
    openWindow();
    QTest::qWait(150); // the first paint's redraw
    const GraphColors before = form->plot().Colors;
    const int redraws = form->redrawCount();
    graphSetup([this](TGColor* d) {
        for (QPushButton* b :
             {d->Button2, d->Button3, d->Button4, d->Button5, d->Button6, d->Button7, d->Button8})
            pickColor(b, std::nullopt);
        EXPECT_EQ(d->Shape5->penColor(), QColor(0, 0, 255));
    });
    const GraphColors& after = form->plot().Colors;
    EXPECT_EQ(after.Valves, before.Valves);
    EXPECT_EQ(after.ValveBkg, before.ValveBkg);
    EXPECT_EQ(after.PMT, before.PMT);
    EXPECT_EQ(after.Potential, before.Potential);
    EXPECT_EQ(after.Current, before.Current);
    EXPECT_EQ(after.Pump, before.Pump);
    EXPECT_EQ(after.Bkg, before.Bkg);
    ASSERT_TRUE(form->timer2().isActive()) << "closing the dialog asks for a redraw";
    form->Timer2Timer();
    EXPECT_EQ(form->redrawCount(), redraws + 1);
}

TEST_F(GraphColorsTest, ANewColourReachesTheSamplesTheGraphAndTheSettingsFile) {
    openWindow();
    const QColor pmt(200, 30, 90), background(250, 250, 200);
    graphSetup([&](TGColor* d) {
        pickColor(d->Button4, pmt);
        // Both parts of the PMT trace in the sample take it.
        EXPECT_EQ(d->Shape5->penColor(), pmt);
        EXPECT_EQ(d->Shape6->penColor(), pmt);
        EXPECT_EQ(d->Shape7->penColor(), QColor(0, 255, 0)) << "the others stay";
        pickColor(d->Button8, background);
        EXPECT_EQ(d->Shape2->brushColor(), background);
    });
    EXPECT_EQ(form->plot().Colors.PMT, rgb(200, 30, 90));

    form->store().assign({0, 50, 100}, {10e-9, 90e-9, 10e-9}, {});
    form->Timer2Timer();
    const QImage& plot = control<PaintBox>("PaintBox2")->image();
    EXPECT_EQ(QColor(plot.pixel(2, 2)), background) << "the plot's background";
    bool traced = false;
    for (int y = 0; y < plot.height() && !traced; ++y)
        for (int x = 0; x < plot.width() && !traced; ++x)
            traced = QColor(plot.pixel(x, y)) == pmt;
    EXPECT_TRUE(traced) << "the signal trace in the new colour";

    EXPECT_TRUE(form->close());
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Colors", "PMT", ""), std::to_string(200 + 256 * 30 + 65536 * 90));
    openWindow();
    graphSetup([&](TGColor* d) { EXPECT_EQ(d->Shape6->penColor(), pmt) << "loaded again"; });
}

} // namespace
