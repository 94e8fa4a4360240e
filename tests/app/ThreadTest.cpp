// The run on its own thread, as the program has it: the window stays responsive during a
// run, commands given in quick succession reach the instrument whole and in order, and
// no point is lost or taken twice however busy the window is.
#include "AppFixture.h"
#include "EventLateness.h"

#include <QFile>

#include <ctime>
#include <thread>

using namespace varentis;
using namespace varentis::test;

namespace {

class ThreadTest : public AppTest {
protected:
    // Runs the window's event loop for `ms` milliseconds of the computer's clock.
    static void spin(int ms) { QTest::qWait(ms); }

    // The points a stopped run took, on its own side (the acquisition is idle once stopped).
    int pointsTaken() { return form->acquisition().run().Sizing.Count; }

    static double processCpuSeconds() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }
};

TEST_F(ThreadTest, EventsNeverWaitForAnAcquisitionTick) {
    openWindow(Acquisition::Mode::Thread);
    EventLateness lateness;
    click("BitBtn1");
    ASSERT_EQ(form->runState(), RunState::Running);
    lateness.start();
    runEventLoop(1500);
    lateness.stop();
    spin(50);
    click("BitBtn3");
    ASSERT_GT(lateness.waits().size(), 50u);
    EXPECT_GT(pointsTaken(), 8) << "the run measured meanwhile";
    // With the ticks on the window's thread an event waited up to a whole tick (0.105 s);
    // on their own thread none may wait that long.
    EXPECT_LT(lateness.worst(), RunControl::kTickSeconds * 1000.0)
        << "median " << lateness.quantile(0.5) << " ms, 99th percentile "
        << lateness.quantile(0.99) << " ms";
}

// The register writes of Run, Pause and Stop given at once: the same, in the same order, as
// when each command is carried out on its own with nothing in between.
TEST_F(ThreadTest, RunPauseAndStopInQuickSuccessionReachTheBusWholeAndInOrder) {
    std::vector<RegisterWrite> reference;
    for (Acquisition::Mode mode : {Acquisition::Mode::Inline, Acquisition::Mode::Thread}) {
        SCOPED_TRACE(mode == Acquisition::Mode::Inline ? "one by one" : "on the thread");
        sim.clearRecord();
        openWindow(mode);
        // Ticks then only read: what is written comes from the commands alone.
        control<QCheckBox>("UsingPump")->setChecked(false);
        control<QCheckBox>("UsingPotentiostat")->setChecked(false);
        sim.clearRecord();
        click("BitBtn1");
        click("BitBtn2");
        click("BitBtn3");
        EXPECT_EQ(form->runState(), RunState::Stopped);
        EXPECT_FALSE(control<QPushButton>("BitBtn3")->isEnabled());
        EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
        EXPECT_EQ(panel("Panel5"), "");
        if (mode == Acquisition::Mode::Inline) {
            reference = sim.registerWrites();
            ASSERT_FALSE(reference.empty());
        } else {
            EXPECT_EQ(sim.registerWrites(), reference);
        }
        EXPECT_EQ(sim.pmtControl(), 0) << "the detector is off";
        EXPECT_EQ(sim.pumpDirection(), 0) << "the pump is stopped";
        EXPECT_FALSE(sim.timerRunning()) << "the pause held the timer";
    }
}

TEST_F(ThreadTest, SaveDuringARunWritesExactlyThePointsHeldWhenItBegan) {
    openWindow(Acquisition::Mode::Thread);
    edit("Edit6")->setText("10"); // ten points a tick
    click("BitBtn1");
    spin(600);
    const PointStore& store = form->store();
    const int held = store.Count;
    ASSERT_GT(held, 20);
    const std::vector<double> times(store.Times.begin(), store.Times.end());
    const QString path = tempPath("during.vrd");
    ASSERT_EQ(form->saveToFile(path), "");
    spin(300);
    EXPECT_GT(form->store().Count, held) << "the run went on measuring";
    click("BitBtn3");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    const int header = static_cast<int>(lines.indexOf("[Data]\r"));
    ASSERT_GE(header, 0);
    QList<QByteArray> data = lines.mid(header + 1);
    while (!data.isEmpty() && data.back().trimmed().isEmpty()) data.removeLast();
    ASSERT_EQ(data.size(), held);
    for (int i = 0; i < held; ++i)
        EXPECT_NEAR(data[i].split('\t')[0].toDouble(), times[static_cast<std::size_t>(i)], 1e-9)
            << "point " << i;
}

TEST_F(ThreadTest, ABusyWindowLosesNoPointAndTakesNoneTwice) {
    openWindow(Acquisition::Mode::Thread);
    edit("Edit6")->setText("10");
    click("BitBtn1");
    spin(300);
    // A slow redraw or a long save: the window's thread does nothing else for a while.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    spin(300);
    click("BitBtn3");
    const PointStore& store = form->store();
    ASSERT_GT(store.Count, 50);
    EXPECT_EQ(store.Count, pointsTaken()) << "every point the run took is in the window's store";
    for (int i = 0; i < store.Count; ++i)
        ASSERT_NEAR(store.Times[static_cast<std::size_t>(i)], 0.01 * i, 1e-9)
            << "points in order, none missing or twice, at " << i;
    EXPECT_EQ(store.Capacity, form->acquisition().run().Sizing.Capacity);
}

TEST_F(ThreadTest, APausedRunDoesNotKeepAProcessorBusy) {
    // The simulator at the pace of a real port: the busy loop is as busy as with hardware.
    SimOptions paced;
    paced.clock = SimClockMode::RealTime;
    SimulatedInstrument realTime(paced);
    openWindow(Acquisition::Mode::Thread, &realTime);
    click("BitBtn1");
    spin(300);
    const double runningFrom = processCpuSeconds();
    spin(500);
    const double running = processCpuSeconds() - runningFrom;
    click("BitBtn2");
    ASSERT_EQ(form->runState(), RunState::Paused);
    const double pausedFrom = processCpuSeconds();
    spin(500);
    const double paused = processCpuSeconds() - pausedFrom;
    // Running, the busy loop takes nearly a whole processor by design (less when other work
    // shares the machine); paused, one reading per tick is all.
    EXPECT_GT(running, 4 * paused) << "running " << running << " s, paused " << paused << " s";
    EXPECT_LT(paused, 0.05);
    EXPECT_FALSE(panel("Panel7").isEmpty()) << "the live reading shows in the pause";
    click("BitBtn3");
    app.reset(); // before the simulator it runs on
}

TEST_F(ThreadTest, ClosingTheWindowDuringARunStopsItAndEndsTheThread) {
    openWindow(Acquisition::Mode::Thread);
    click("BitBtn1");
    spin(250);
    form->documents().DataSaved = true; // no question
    EXPECT_TRUE(form->close());
    EXPECT_EQ(form->runState(), RunState::Stopped);
    EXPECT_EQ(sim.pmtControl(), 0);
    app.reset(); // joins the acquisition thread
    SUCCEED();
}

} // namespace
