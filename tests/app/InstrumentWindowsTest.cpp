// The device test window and the electrode potential window, driven as a user drives them,
// and what reaches the simulated instrument through them.
#include "AppFixture.h"

#include "hardware/BusFactory.h"
#include "measurement/potentials.h"
#include "widgets/RadioGroup.h"

#include <QRadioButton>

#include <algorithm>

using namespace varentis;
using namespace varentis::test;

namespace {

const char* const kResultLabels[5] = {"Label2", "Label4", "Label6", "Label8", "Label10"};

QStringList results(const TDeviceDialog* d) {
    QStringList out;
    for (const char* name : kResultLabels) out << d->findChild<QLabel*>(name)->text();
    return out;
}

// Register writes from `from` on that go to `address`.
int writesTo(const SimulatedInstrument& sim, std::uint8_t address, std::size_t from = 0) {
    const auto& w = sim.registerWrites();
    return static_cast<int>(std::count_if(w.begin() + static_cast<long>(from), w.end(),
                                          [address](const RegisterWrite& r) { return r.address == address; }));
}

class DeviceWindowTest : public AppTest {
protected:
    explicit DeviceWindowTest(const SimOptions& options = appSimOptions()) : AppTest(options) {}
    TDeviceDialog& dialog() { return *windows->device; }
    void clickCheckBox(TDeviceDialog* d) {
        QCheckBox* box = d->findChild<QCheckBox*>("CheckBox1");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
};

TEST_F(DeviceWindowTest, MenuTestsAtOnceThenEvery500MillisecondsOnlyWhileTheWindowIsShown) {
    openWindow();
    ASSERT_TRUE(action("Devicetest1")->isEnabled());
    EXPECT_EQ(dialog().objectName(), "TDevice");
    EXPECT_EQ(dialog().windowTitle(), "Device test");
    EXPECT_EQ(dialog().Timer1.interval(), 500);
    EXPECT_FALSE(dialog().Timer1.isActive());

    QStringList atOpen, afterRefresh;
    QStringList captions;
    bool refreshing = false;
    whenModal<TDeviceDialog>(modalGuard.get(), [&](TDeviceDialog* d) {
        atOpen = results(d);
        for (const char* name : {"Label1", "Label3", "Label5", "Label7", "Label9"})
            captions << d->findChild<QLabel*>(name)->text();
        refreshing = d->Timer1.isActive();
        // The pump stops answering; the next refresh must say so.
        sim.scriptRead(0x80, {0x00});
        QTimer::singleShot(700, d, [&, d] {
            afterRefresh = results(d);
            d->findChild<QPushButton*>("Button1")->click();
        });
    });
    action("Devicetest1")->trigger();

    EXPECT_EQ(atOpen, QStringList({"OK", "OK", "OK", "OK", "OK"})) << "tested before it shows";
    ASSERT_EQ(captions.size(), 5);
    EXPECT_TRUE(captions[0].startsWith("PMT detector:"));
    EXPECT_TRUE(captions[1].startsWith("Potentiostat:"));
    EXPECT_TRUE(captions[2].startsWith("Programmable timer:"));
    EXPECT_TRUE(captions[3].startsWith("Valve controller:"));
    EXPECT_TRUE(captions[4].startsWith("Pump controller:"));
    EXPECT_TRUE(refreshing) << "the active window refreshes";
    EXPECT_EQ(afterRefresh, QStringList({"OK", "OK", "OK", "OK", "not ready"}));

    // Closed, it tests no more: the timer module is left alone.
    EXPECT_FALSE(dialog().Timer1.isActive());
    const std::size_t before = sim.registerWrites().size();
    QTest::qWait(1200);
    EXPECT_EQ(sim.registerWrites().size(), before);
    EXPECT_EQ(results(&dialog()).last(), "not ready") << "the lines keep the last test";
}

TEST_F(DeviceWindowTest, RefreshStopsWhileAnotherWindowIsActive) {
    openWindow();
    dialog().show();
    QApplication::setActiveWindow(&dialog());
    QTest::qWait(50);
    ASSERT_TRUE(dialog().Timer1.isActive());
    QApplication::setActiveWindow(form);
    QTest::qWait(50);
    EXPECT_FALSE(dialog().Timer1.isActive());
    QApplication::setActiveWindow(&dialog());
    QTest::qWait(50);
    EXPECT_TRUE(dialog().Timer1.isActive());
    dialog().hide();
    EXPECT_FALSE(dialog().Timer1.isActive());
}

TEST_F(DeviceWindowTest, RunWithAMissingModuleStartsOnlyWhenIgnoringIsTickedAndClosed) {
    openWindow();
    sim.scriptRead(0x74, {0xA5}); // a potentiostat board that is not ours
    struct Case {
        const char* what;
        int clicks;   // on "Ignore error and continue"
        bool closeBox; // the title bar's close box instead of "&Close"
        bool starts;
    };
    const Case cases[]{
        {"Close without the tick", 0, false, false},
        {"tick, then the close box", 1, true, false},
        {"tick and untick, then Close", 2, false, false},
        {"tick, then Close", 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList shown;
        whenModal<TDeviceDialog>(modalGuard.get(), [&, c](TDeviceDialog* d) {
            shown = results(d);
            for (int i = 0; i < c.clicks; ++i) clickCheckBox(d);
            if (c.closeBox) d->close();
            else QTest::mouseClick(d->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        const std::size_t writesBefore = sim.registerWrites().size();
        startRun();
        EXPECT_EQ(shown, QStringList({"OK", "not ready", "OK", "OK", "OK"}));
        EXPECT_EQ(form->runState(), c.starts ? RunState::Running : RunState::Stopped);
        EXPECT_EQ(writesTo(sim, 0xA2, writesBefore), c.starts ? 2 : 0)
            << "nothing is switched on unless the run starts";
        if (c.starts) {
            ticks(2);
            click("BitBtn3");
            form->documents().DataSaved = true;
        } else {
            dialog().CheckBox1->setChecked(false);
        }
    }

    // The tick stays: the next run starts without asking, whatever the modules answer.
    bool asked = false;
    whenModal<TDeviceDialog>(modalGuard.get(), [&](TDeviceDialog* d) {
        asked = true;
        d->reject();
    }, 20);
    startRun();
    EXPECT_FALSE(asked);
    EXPECT_EQ(form->runState(), RunState::Running);
    click("BitBtn3");
}

TEST_F(DeviceWindowTest, ResumeWithAMissingModuleNeverClearsThePausedRunsTimer) {
    openWindow();
    startRun();
    ticks(5);
    click("BitBtn2");
    ASSERT_EQ(form->runState(), RunState::Paused);
    EXPECT_FALSE(action("Devicetest1")->isEnabled());
    const std::uint32_t held = sim.timerCount();
    const std::size_t writesBefore = sim.registerWrites().size();

    sim.scriptRead(0x70, {0x00}); // the valve controller stops answering
    QStringList shown;
    whenModal<TDeviceDialog>(modalGuard.get(), [&](TDeviceDialog* d) {
        // Two refreshes while the window is open, then Close without the tick.
        QTimer::singleShot(1100, d, [&, d] {
            shown = results(d);
            d->findChild<QPushButton*>("Button1")->click();
        });
    });
    click("BitBtn1");
    EXPECT_EQ(shown, QStringList({"OK", "OK", "OK", "not ready", "OK"}));
    EXPECT_EQ(form->runState(), RunState::Paused);
    EXPECT_EQ(writesTo(sim, 0x86, writesBefore), 0) << "the run's timer is never cleared";
    EXPECT_FALSE(sim.timerRunning());
    EXPECT_GE(sim.timerCount(), held);
    EXPECT_LT(sim.timerCount(), held + 1000) << "it counted only while tested";
    click("BitBtn3");
}

// The window on a driver of its own making: it shows that driver's test, adds only its tick,
// and the driver goes on working after the window is gone.
TEST(DeviceWindowOnADriver, ShowsTheDriversTestAndTheTickPassesOnlyAMissingModule) {
    struct Case {
        unsigned absent;
        bool ticked, passes;
        const char* pumpLine;
    };
    const Case cases[]{
        {0, false, true, "OK"},
        {0, true, true, "OK"},
        {SimPump, false, false, "not ready"},
        {SimPump, true, true, "not ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pumpLine) + (c.ticked ? ", ticked" : ""));
        SimOptions o = appSimOptions();
        o.absentModules = c.absent;
        SimulatedInstrument sim(o);
        TDevice driver(sim);
        {
            TDeviceDialog window(driver, nullptr);
            window.CheckBox1->setChecked(c.ticked);
            EXPECT_EQ(window.DeviceTest(), c.passes);
            EXPECT_EQ(results(&window), QStringList({"OK", "OK", "OK", "OK", c.pumpLine}));
            EXPECT_EQ(driver.LastDeviceTest().allPassed(), c.absent == 0) << "the tick is the window's";
        }
        driver.SetValves(0x0801);
        EXPECT_EQ(sim.valveMask(), 0x0801);
        EXPECT_EQ(driver.DeviceTest(), c.absent == 0);
    }
}

// A simulated fault and the result line that must name it (-1: every line is "OK").
struct FaultLine {
    const char* fault;
    int failingLine;
};

void PrintTo(const FaultLine& f, std::ostream* os) { *os << f.fault; }

SimOptions faultyOptions(const char* fault) {
    SimOptions o = appSimOptions();
    EXPECT_TRUE(parseSimFaults(fault, &o, nullptr)) << fault;
    return o;
}

class SimulatedFaultTest : public DeviceWindowTest, public ::testing::WithParamInterface<FaultLine> {
protected:
    SimulatedFaultTest() : DeviceWindowTest(faultyOptions(GetParam().fault)) {}
};

TEST_P(SimulatedFaultTest, DeviceTestNamesTheFailingModuleAndARunNeverHangs) {
    openWindow();
    QStringList shown;
    whenModal<TDeviceDialog>(modalGuard.get(), [&](TDeviceDialog* d) {
        shown = results(d);
        d->reject();
    });
    action("Devicetest1")->trigger();
    ASSERT_EQ(shown.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shown[i], i == GetParam().failingLine ? "not ready" : "OK") << kResultLabels[i];

    // Confirmed anyway, the run measures on and stops.
    dialog().CheckBox1->setChecked(true);
    startRun();
    ASSERT_EQ(form->runState(), RunState::Running);
    for (int i = 0; i < 15; ++i) {
        const double before = sim.modelSeconds();
        ticks(1);
        EXPECT_LT(sim.modelSeconds() - before, 0.6) << "tick " << i;
    }
    EXPECT_GE(form->store().Count, 1);
    click("BitBtn3");
    EXPECT_EQ(form->runState(), RunState::Stopped);
    EXPECT_FALSE(sim.ecellCellOn());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatedFaultTest,
    ::testing::Values(FaultLine{"no-pmt", 0}, FaultLine{"no-potentiostat", 1},
                      FaultLine{"no-timer", 2}, FaultLine{"timer-not-counting", 2},
                      FaultLine{"timer-not-clearing", 2}, FaultLine{"no-valves", 3},
                      FaultLine{"no-pump", 4}, FaultLine{"conversion-not-finishing", -1},
                      FaultLine{"pmt-over-range", -1}),
    [](const auto& param) {
        std::string name = param.param.fault;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// ---- The electrode potential window ----

class PotentialWindowTest : public AppTest {
protected:
    TPotential& potential() { return *windows->potential; }
    // The potential codes written since `from`: 0x94 then 0x95 make one code.
    std::vector<int> potentialCodes(std::size_t from = 0) {
        std::vector<int> codes;
        int high = -1;
        const auto& w = sim.registerWrites();
        for (std::size_t i = from; i < w.size(); ++i) {
            if (w[i].address == 0x94) high = w[i].value;
            if (w[i].address == 0x95 && high >= 0) {
                codes.push_back(high * 256 + w[i].value);
                high = -1;
            }
        }
        return codes;
    }
    const PotentialSchedule& schedule() {
        form->DrawGraph();
        return form->runOptions().Programs->Potential;
    }
};

TEST_F(PotentialWindowTest, ProgramAndGraphBoxesGoInAndComeBackHoweverTheWindowCloses) {
    openWindow();
    EXPECT_EQ(potential().windowTitle(), "Electrode potential");
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Close");
        edit("PotentialEdit")->setText("500(10),0");
        control<QCheckBox>("ShowPotential")->setChecked(true);
        control<QCheckBox>("DrawCurrent")->setChecked(false);
        const std::string typed = closeBox ? "-300(2.5),1200" : "1000(5),-200";

        QString inProgram;
        bool inShow = false, inDraw = true;
        whenModal<TPotential>(modalGuard.get(), [&](TPotential* d) {
            auto* program = d->findChild<QLineEdit*>("PotentialEdit");
            inProgram = program->text();
            inShow = d->findChild<QCheckBox*>("ShowPotential")->isChecked();
            inDraw = d->findChild<QCheckBox*>("DrawCurrent")->isChecked();
            program->selectAll();
            QTest::keyClicks(program, QString::fromStdString(typed));
            QTest::mouseClick(d->findChild<QCheckBox*>("ShowPotential"), Qt::LeftButton, {},
                              QPoint(6, 8));
            QTest::mouseClick(d->findChild<QCheckBox*>("DrawCurrent"), Qt::LeftButton, {},
                              QPoint(6, 8));
            if (closeBox) d->close();
            else QTest::mouseClick(d->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        click("Button1"); // "Potentiostat"

        EXPECT_EQ(inProgram, "500(10),0");
        EXPECT_TRUE(inShow);
        EXPECT_FALSE(inDraw);
        EXPECT_EQ(edit("PotentialEdit")->text().toStdString(), typed);
        EXPECT_FALSE(control<QCheckBox>("ShowPotential")->isChecked());
        EXPECT_TRUE(control<QCheckBox>("DrawCurrent")->isChecked());
        // Taken back, the text is parsed at once.
        const PotentialSchedule& s = schedule();
        ASSERT_EQ(s.StepCount, 3);
        EXPECT_EQ(s.Potentials[0], closeBox ? -0.3 : 1.0);
        EXPECT_EQ(s.EndTimes[0], closeBox ? 2.5 : 5.0);
    }
}

TEST_F(PotentialWindowTest, ElectrodeSystemCurrentAxisAndProgramReachTheCell) {
    openWindow();
    whenModal<TPotential>(modalGuard.get(), [&](TPotential* d) {
        for (QRadioButton* b : d->findChildren<QRadioButton*>())
            if (b->text() == "3 electrodes") QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, 8));
        for (const char* name : {"CMin", "CMax"}) {
            auto* e = d->findChild<QLineEdit*>(name);
            e->selectAll();
            QTest::keyClicks(e, name == std::string("CMin") ? "-0.1" : "0.1");
        }
        d->findChild<QComboBox*>("CUnits")->setCurrentIndex(2); // uA: 0.1 uA is a full scale
        auto* program = d->findChild<QLineEdit*>("PotentialEdit");
        program->selectAll();
        QTest::keyClicks(program, "1500(1),0");
        QTest::mouseClick(d->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    click("Button1");
    ASSERT_EQ(potential().Electrodes->itemIndex(), 1);

    const std::size_t from = sim.registerWrites().size();
    startRun();
    // After the timer: control byte with three electrodes on range 4 (100 nA), the potential
    // of step 0 (1.5 V, narrow span), the control byte again.
    const auto& w = sim.registerWrites();
    auto on = std::find(w.begin() + static_cast<long>(from), w.end(), RegisterWrite{0x74, 0x87});
    ASSERT_NE(on, w.end()) << "EcellOn with three electrodes on the 100 nA range";
    ASSERT_GE(w.end() - on, 5);
    EXPECT_EQ(std::vector<RegisterWrite>(on, on + 5),
              (std::vector<RegisterWrite>{{0x74, 0x87}, {0x96, 10}, {0x94, 0x0E}, {0x95, 0x00},
                                          {0x74, 0x87}}));
    EXPECT_EQ(*(on - 1), (RegisterWrite{0x86, 0})) << "after the timer is cleared";

    ticks(12); // 1.2 s: the program steps to 0 mV at the point at 1 s
    const std::vector<int> codes = potentialCodes(from);
    ASSERT_GE(codes.size(), 12u);
    EXPECT_EQ(codes[1], 0xE00) << "point at 0 s";
    EXPECT_EQ(codes[10], 0xE00) << "point at 0.9 s";
    EXPECT_EQ(codes[11], 0x800) << "point at 1.0 s";

    // At 1.5 V the cell draws far more than 100 nA: the reading stops at the range's end,
    // and that is what the third column and Panel9 show.
    const PointStore& points = form->store();
    ASSERT_GE(points.Count, 10);
    EXPECT_NEAR(points.Currents[5], 2048 * EcellScale[4], 1e-20) << "the mean of clipped readings";
    click("BitBtn2");
    ticks(1);
    EXPECT_TRUE(panel("Panel9").startsWith(" Potentiostat: 0 mV, ")) << panel("Panel9").toStdString();
    EXPECT_TRUE(sim.ecellCellOn()) << "a pause leaves the cell on";
    click("BitBtn3");
    EXPECT_FALSE(sim.ecellCellOn());
    EXPECT_EQ(panel("Panel9"), "");
}

TEST_F(PotentialWindowTest, Panel9ShowsPotentialAndCurrentOfEachPoint) {
    openWindow();
    edit("PotentialEdit")->setText("250");
    startRun();
    ticks(5);
    const PointStore& points = form->store();
    ASSERT_GE(points.Count, 4);
    const double last = points.Currents[points.Count - 1];
    EXPECT_NEAR(last, sim.flowCell().cellCurrent(0.25), 0.05 * sim.flowCell().cellCurrent(0.25));
    EXPECT_EQ(panel("Panel9"), " Potentiostat: 250 mV, " + QString::number(last / 1e-12, 'f', 3) + " pA");
    click("BitBtn3");
}

TEST_F(PotentialWindowTest, CycleTimeChangeReparsesTheProgram) {
    openWindow();
    edit("PotentialEdit")->setText("500(10),200");
    EXPECT_EQ(schedule().EndTimes, (std::vector<double>{10, 30, 30}));
    edit("Edit10")->selectAll();
    QTest::keyClicks(edit("Edit10"), "20");
    EXPECT_EQ(schedule().EndTimes, (std::vector<double>{10, 20, 20}));
    EXPECT_EQ(schedule().Potentials, (std::vector<double>{0.5, 0.2, 0.0}));
    // A cycle time that is not accepted keeps the last one, and the program with it.
    edit("Edit10")->selectAll();
    QTest::keyClicks(edit("Edit10"), "-5");
    EXPECT_EQ(schedule().EndTimes, (std::vector<double>{10, 20, 20}));
}

} // namespace
