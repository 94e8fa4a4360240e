#include "AppFixture.h"

#include "widgets/PaintBox.h"

#include <QImage>

#include <set>

using namespace varentis;
using namespace varentis::test;

namespace {

struct Commands {
    bool run, pause, stop;
    const char* status; // Panel5
};
constexpr Commands kRunning{false, true, true, "Measuring"};
constexpr Commands kPaused{true, false, true, "Pause"};
constexpr Commands kStopped{true, false, false, ""};

class RunStateTest : public AppTest {
protected:
    void expectCommands(const Commands& c) {
        EXPECT_EQ(control<QPushButton>("BitBtn1")->isEnabled(), c.run);
        EXPECT_EQ(action("Run1")->isEnabled(), c.run);
        EXPECT_EQ(control<QPushButton>("BitBtn2")->isEnabled(), c.pause);
        EXPECT_EQ(action("Pause1")->isEnabled(), c.pause);
        EXPECT_EQ(control<QPushButton>("BitBtn3")->isEnabled(), c.stop);
        EXPECT_EQ(action("Stop1")->isEnabled(), c.stop);
        // The device test would stop and clear the timer of the run.
        EXPECT_EQ(action("Devicetest1")->isEnabled(), !c.stop);
        EXPECT_EQ(panel("Panel5"), QString(c.status));
    }
    // A command from the toolbar button or from the Work menu.
    void command(const char* name) {
        if (QString(name).startsWith("BitBtn")) click(name);
        else action(name)->trigger();
    }
};

TEST_F(RunStateTest, ButtonsMenuItemsAndStatusFollowEveryTransition) {
    openWindow();
    expectCommands(kStopped);

    struct Step {
        const char* what;
        const char* command;
        RunState state;
        Commands shown;
        bool unsavedQuestion; // a new run over unsaved points asks first
    };
    const Step steps[] = {
        {"start", "BitBtn1", RunState::Running, kRunning, false},
        {"pause", "BitBtn2", RunState::Paused, kPaused, false},
        {"resume from the menu", "Run1", RunState::Running, kRunning, false},
        {"stop from the menu", "Stop1", RunState::Stopped, kStopped, false},
        {"start again from the menu", "Run1", RunState::Running, kRunning, true},
        {"pause from the menu", "Pause1", RunState::Paused, kPaused, false},
        {"stop while paused", "BitBtn3", RunState::Stopped, kStopped, false},
        {"stop while stopped", "Stop1", RunState::Stopped, kStopped, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        QString question;
        if (s.unsavedQuestion) answerQuestion(QMessageBox::No, &question);
        command(s.command);
        if (s.state == RunState::Running) ticks(2);
        EXPECT_EQ(form->runState(), s.state);
        expectCommands(s.shown);
        if (s.unsavedQuestion) {
            EXPECT_EQ(question, "Data not saved. Save?");
        }
    }
}

TEST_F(RunStateTest, EscStopsFromTheWindowAndItsNumberFieldsOnlyWhileStopIsEnabled) {
    openWindow();
    const char* targets[] = {"", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit10"};
    for (const char* target : targets) {
        for (bool paused : {false, true}) {
            SCOPED_TRACE(std::string(*target ? target : "window") + (paused ? ", paused" : ""));
            form->documents().DataSaved = true; // no question between the runs
            startRun();
            ticks(1);
            if (paused) click("BitBtn2");
            QWidget* receiver = *target ? static_cast<QWidget*>(edit(target)) : form;
            QTest::keyClick(receiver, Qt::Key_Escape);
            EXPECT_EQ(form->runState(), RunState::Stopped);
            EXPECT_EQ(sim.pmtControl() & 0x08, 0) << "the detector is switched off";
        }
    }

    // With nothing to stop, Esc reaches no module and changes nothing.
    const auto writesBefore = sim.registerWrites().size();
    for (const char* target : targets) {
        QWidget* receiver = *target ? static_cast<QWidget*>(edit(target)) : form;
        QTest::keyClick(receiver, Qt::Key_Escape);
    }
    EXPECT_EQ(sim.registerWrites().size(), writesBefore);
    EXPECT_EQ(form->runState(), RunState::Stopped);
    EXPECT_FALSE(form->acquisitionTimerEnabled());
}

TEST_F(RunStateTest, OptionsItemsToggleOnlyTheirOwnCheckMark) {
    openWindow();
    const char* items[] = {"Stopifmaxtime1", "Changerange1", "Detectoroff"};
    for (const char* item : items) {
        SCOPED_TRACE(item);
        std::vector<bool> others;
        for (const char* other : items) others.push_back(action(other)->isChecked());
        ASSERT_FALSE(action(item)->isChecked());
        action(item)->trigger();
        EXPECT_TRUE(action(item)->isChecked());
        for (std::size_t i = 0; i < std::size(items); ++i)
            if (items[i] != item) {
                EXPECT_EQ(action(items[i])->isChecked(), others[i]) << items[i];
            }
        action(item)->trigger();
        EXPECT_FALSE(action(item)->isChecked());
    }
}

TEST_F(RunStateTest, RedrawRequestsWithinTheIntervalGiveOneFullRedraw) {
    openWindow();
    QTest::qWait(300); // the first paint's redraw
    EXPECT_TRUE(form->timer2().isSingleShot());
    EXPECT_EQ(form->timer2().interval(), 100);

    const int before = form->redrawCount();
    for (int i = 0; i < 25; ++i) form->Redraw();
    EXPECT_TRUE(form->timer2().isActive());
    EXPECT_EQ(form->redrawCount(), before) << "nothing is drawn before the interval ends";
    QTest::qWait(250);
    EXPECT_EQ(form->redrawCount(), before + 1);
    EXPECT_FALSE(form->timer2().isActive());

    // Typing a number gives a change per key, and each asks for a redraw; the new axis
    // shows, and the drawing settles instead of asking for itself again and again.
    QTest::keyClicks(edit("Edit3"), "50");
    EXPECT_TRUE(form->timer2().isActive());
    EXPECT_EQ(form->redrawCount(), before + 1);
    QTest::qWait(400);
    EXPECT_GE(form->redrawCount(), before + 2);
    EXPECT_EQ(control<QLabel>("Label5")->text(), "10050");
    const int settled = form->redrawCount();
    QTest::qWait(500);
    EXPECT_EQ(form->redrawCount(), settled) << "a redraw must not keep asking for another one";
}

// How many different colours an image holds.
std::size_t colourCount(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    return colours.size();
}

TEST_F(RunStateTest, AnyTextInAnyFieldKeepsTheProgramDrawing) {
    openWindow();
    const char* fields[] = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7",
                            "Edit8", "Edit9", "Edit10", "PotentialEdit", "PumpEdit"};
    const char* texts[] = {"", "abc", "1e999", "-1e999", "nan", "-", "inf", "1,5", " ", "1e-320"};
    for (const char* field : fields) {
        const QString original = edit(field)->text();
        for (const char* text : texts) {
            SCOPED_TRACE(std::string(field) + " = \"" + text + "\"");
            edit(field)->setText(text);
            form->DrawGraph();
            form->DrawPoint(0.0, 1e-8, 0.0);
            form->DrawPoint(1.0, 5e-8, 1e-12);
            form->DrawPoint(2.0, 1e300, -1e300);
            const QImage& image = form->PaintBox2->image();
            EXPECT_EQ(image.size(), form->PaintBox2->size());
            EXPECT_GT(colourCount(image), 1u) << "the graph is drawn";
        }
        edit(field)->setText(original);
    }

    // A run with every field unreadable at once still measures and stops.
    for (const char* field : fields) edit(field)->setText("nan");
    startRun();
    ticks(12);
    EXPECT_EQ(form->runState(), RunState::Running);
    EXPECT_GT(form->store().Count, 0);
    click("BitBtn3");
    EXPECT_EQ(form->runState(), RunState::Stopped);
    form->DrawGraph();
    EXPECT_GT(colourCount(form->PaintBox2->image()), 1u);
}

} // namespace
