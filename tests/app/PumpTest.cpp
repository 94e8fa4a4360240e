#include "AppFixture.h"

#include "documents/SettingsFile.h"
#include "hardware/Registers.h"
#include "hardware/pumps.h"

#include <algorithm>

using namespace varentis;
using namespace varentis::test;

namespace {

using Writes = std::vector<RegisterWrite>;

// The pump window, shown from the main window's "Pump" button, on the simulated instrument.
class PumpTest : public AppTest {
protected:
    TPump& pump() const { return *windows->pump; }
    template <class T = QWidget>
    T* in(const char* name) const {
        T* w = pump().findChild<T*>(name);
        EXPECT_NE(w, nullptr) << "no control " << name << " in the pump window";
        return w;
    }
    void press(const char* name) { QTest::mouseClick(in<QPushButton>(name), Qt::LeftButton); }
    void type(const char* name, const char* text) {
        in<QLineEdit>(name)->selectAll();
        QTest::keyClicks(in<QLineEdit>(name), text);
    }
    void showPump() {
        click("PumpButton");
        ASSERT_TRUE(pump().isVisible());
    }

    static Writes pumpRun(std::uint8_t speed, std::uint8_t direction) {
        return {{kPumpSpeed, speed}, {kPumpDirection, direction}};
    }
};

TEST_F(PumpTest, EachSpeedButtonRunsThePumpAtTheNumberInItsField) {
    openWindow();
    showPump();
    EXPECT_FALSE(pump().isModal());
    struct Case {
        const char *button, *field;
        const char* typed; // nullptr: the field's stored default
        std::uint8_t speed, direction;
    };
    const Case cases[]{
        {"Button2", "Edit1", nullptr, 51, 1},  // 20 %: 51 forward
        {"Button3", "Edit2", nullptr, 128, 1}, // 50 %: 127.5 goes to the even 128
        {"Button4", "Edit3", nullptr, 51, 3},  // -20 %: 51 in reverse
        {"Button5", "Edit4", nullptr, 128, 3},
        {"Button2", "Edit1", "10", 26, 1}, // 25.5 goes to the even 26
        {"Button3", "Edit2", "150", 255, 1},
        {"Button4", "Edit3", "-100", 255, 3},
        {"Button5", "Edit4", "0", 0, 0},
        {"Button2", "Edit1", "fast", 0, 0}, // not a number: 0, no complaint
        {"Button3", "Edit2", "33.3", 85, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + (c.typed ? c.typed : "default"));
        if (c.typed) {
            sim.clearRecord();
            type(c.field, c.typed);
            EXPECT_TRUE(sim.registerWrites().empty()) << "typing alone reaches no module";
        }
        sim.clearRecord();
        press(c.button);
        EXPECT_EQ(sim.registerWrites(), pumpRun(c.speed, c.direction));
    }
}

TEST_F(PumpTest, StopPumpWritesOnlyTheRunRegisterAndCloseLeavesThePumpAlone) {
    openWindow();
    showPump();
    press("Button3"); // 50 % forward
    sim.clearRecord();
    press("Button6");
    EXPECT_EQ(sim.registerWrites(), (Writes{{kPumpDirection, 0}}));
    EXPECT_EQ(sim.pumpSpeed(), 128) << "the speed register keeps its value";

    // "&Close" hides the window and leaves the pump running as it is.
    press("Button5");
    type("Edit2", "75");
    sim.clearRecord();
    press("Button1");
    EXPECT_FALSE(pump().isVisible());
    EXPECT_TRUE(sim.registerWrites().empty());
    EXPECT_EQ(sim.pumpDirection(), 3);

    // The button brings back the same window with the texts as last edited, and they are
    // what the settings file keeps.
    TPump* before = &pump();
    showPump();
    EXPECT_EQ(&pump(), before);
    EXPECT_EQ(in<QLineEdit>("Edit2")->text(), "75");
    QTest::keyClick(&pump(), Qt::Key_Escape);
    EXPECT_FALSE(pump().isVisible());
    ASSERT_TRUE(form->close());
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Pump", "Speed 2", ""), "75");
    EXPECT_EQ(stored.readString("Pump", "Speed 3", ""), "-20");
}

TEST_F(PumpTest, HandSpeedLastsUntilTheNextPassWhenTheRunDrivesThePump) {
    openWindow();
    showPump();
    struct Case {
        bool usingPump;
        std::uint8_t speedAfterTicks, directionAfterTicks;
    };
    // The pump program is the main window's "Pump" field, 50 % by default.
    const Case cases[]{{false, 51, 3}, {true, 128, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.usingPump ? "pump in use" : "pump not in use");
        control<QCheckBox>("UsingPump")->setChecked(c.usingPump);
        form->documents().DataSaved = true;
        startRun();
        ticks(2);
        sim.clearRecord();
        press("Button4"); // -20 %
        EXPECT_EQ(sim.registerWrites(), pumpRun(51, 3)) << "at once, during the run";
        ticks(2);
        EXPECT_EQ(sim.pumpSpeed(), c.speedAfterTicks);
        EXPECT_EQ(sim.pumpDirection(), c.directionAfterTicks);
        click("BitBtn3");
        EXPECT_EQ(sim.pumpDirection(), 0) << "Stop stops the pump";
    }
}

TEST_F(PumpTest, PumpWindowWorksBesideARunOnTheAcquisitionThread) {
    openWindow(Acquisition::Mode::Thread);
    control<QCheckBox>("UsingPump")->setChecked(false);
    showPump();
    click("BitBtn1");
    ASSERT_EQ(form->runState(), RunState::Running);

    // Every press reaches the pump at once, whole and in order, while the run measures.
    const std::pair<const char*, Writes> presses[]{
        {"Button3", pumpRun(128, 1)}, {"Button6", {{kPumpDirection, 0}}},
        {"Button4", pumpRun(51, 3)},  {"Button2", pumpRun(51, 1)},
        {"Button5", pumpRun(128, 3)}, {"Button6", {{kPumpDirection, 0}}},
    };
    Writes pressed;
    for (int round = 0; round < 5; ++round)
        for (const auto& [button, writes] : presses) {
            press(button);
            pressed.insert(pressed.end(), writes.begin(), writes.end());
            QTest::qWait(7);
        }
    QTest::qWait(150);
    EXPECT_GT(form->store().Count, 0) << "the run measured meanwhile";
    click("BitBtn3");
    ASSERT_EQ(form->runState(), RunState::Stopped);

    // The run itself leaves the pump alone until its Stop, so the pump writes are exactly the
    // presses, then Stop's.
    const Writes& all = sim.registerWrites();
    Writes pumpWrites;
    std::copy_if(all.begin(), all.end(), std::back_inserter(pumpWrites),
                 [](const RegisterWrite& w) {
                     return w.address == kPumpSpeed || w.address == kPumpDirection;
                 });
    pressed.push_back({kPumpDirection, 0});
    EXPECT_EQ(pumpWrites, pressed);
    for (std::size_t i = 0; i + 1 < all.size(); ++i)
        if (all[i].address == kPumpSpeed) {
            EXPECT_EQ(all[i + 1].address, kPumpDirection) << "write " << i;
        }
}

} // namespace
