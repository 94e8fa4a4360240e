#include "AppFixture.h"

#include "documents/SettingsFile.h"
#include "hardware/Registers.h"
#include "hardware/phsetup.h"

#include <QFile>

using namespace varentis;
using namespace varentis::test;

namespace {

using Writes = std::vector<RegisterWrite>;

constexpr std::uint8_t kHighVoltageOn = 0x08;

// Setup > PMT detector setup on the simulated instrument. The dialog is modal: each test
// hands what it does to openSetup(), which runs it inside the dialog once it shows.
class PmtSetupTest : public AppTest {
protected:
    TPMTSetup& setup() const { return *windows->pmtSetup; }
    template <class T = QWidget>
    T* in(const char* name) const {
        T* w = setup().findChild<T*>(name);
        EXPECT_NE(w, nullptr) << "no control " << name << " in the setup";
        return w;
    }
    QLineEdit* field(const char* name) const { return in<QLineEdit>(name); }
    QString shown(const char* name) const { return in<QLabel>(name)->text(); }

    // Replaces the text of a field as the operator does: select all, type.
    void type(const char* name, const char* text) {
        field(name)->selectAll();
        QTest::keyClicks(field(name), text);
    }
    void pick(int item) { in<QComboBox>("ComboBox1")->setCurrentIndex(item); }
    void press(const char* name) { QTest::mouseClick(in<QPushButton>(name), Qt::LeftButton); }
    void pressClose() { press("Button1"); }

    // Opens the dialog from its menu item and runs `act` in it; `act` closes it.
    void openSetup(const std::function<void()>& act) {
        bool ran = false;
        whenModal<TPMTSetup>(modalGuard.get(), [&](TPMTSetup* dialog) {
            ran = true;
            act();
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the test left the setup open";
                dialog->reject();
            }
        });
        action("PMTdetectorsetup1")->trigger();
        EXPECT_TRUE(ran) << "the setup did not open";
        EXPECT_FALSE(setup().isVisible());
    }

    void writeIni(const char* text) {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    std::string stored(const char* key) const {
        return readSettingsFile(iniPath().toStdString()).readString("PMT setup", key, "<none>");
    }

    // The detector answers `counts` (signed converter counts) on its next readings.
    void scriptReading(int counts) {
        const int magnitude = counts < 0 ? -counts : counts;
        const auto hi = static_cast<std::uint8_t>((counts >= 0 ? 0x40 : 0) | (magnitude >> 8));
        sim.scriptRead(kPmtCodeLow, {hi}); // the high byte, read first
        sim.scriptRead(kPmtCodeHigh, {static_cast<std::uint8_t>(magnitude & 0xFF)});
    }
};

TEST_F(PmtSetupTest, LimitsActOnTheDriversNumbersWhileTheTypedTextIsWhatIsSaved) {
    openWindow();
    struct Case {
        const char* field;
        const char* typed;
        double used; // by the driver
    };
    // The rules themselves are tabled in the hardware tests; here they act through the fields.
    const Case cases[]{
        {"MaxVoltage", "abc", 0},    {"VFactor", "0.85", 0.9},
        {"MaxVoltage", "2500", 2000}, {"VFactor", "1.2", 1.1},
    };
    openSetup([&] {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.field) + " " + c.typed);
            type(c.field, c.typed);
            EXPECT_EQ(field(c.field)->text(), c.typed) << "the text stays as typed";
            const TDevice& d = form->device();
            EXPECT_EQ(QString(c.field) == "MaxVoltage" ? d.PMTMaxVoltage() : d.PMTVoltageFactor(),
                      c.used);
        }
        pressClose();
    });
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored("Max voltage"), "2500");
    EXPECT_EQ(stored("Voltage factor"), "1.2");
}

TEST_F(PmtSetupTest, StoredTextsReachTheDriverThroughTheFieldsAtStart) {
    struct Case {
        const char *maxVoltage, *factor;
        double usedMax, usedFactor;
    };
    const Case cases[]{
        {"2500", "0.85", 2000, 0.9},
        {"1000", "1.000", 1000, 1.0}, // the texts the fields start with
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxVoltage);
        writeIni(QString("[PMT setup]\r\nMax voltage=%1\r\nVoltage factor=%2\r\n")
                     .arg(c.maxVoltage, c.factor)
                     .toUtf8()
                     .constData());
        openWindow();
        EXPECT_EQ(form->device().PMTMaxVoltage(), c.usedMax);
        EXPECT_EQ(form->device().PMTVoltageFactor(), c.usedFactor);
        EXPECT_EQ(field("MaxVoltage")->text(), c.maxVoltage);
        EXPECT_EQ(field("VFactor")->text(), c.factor);
        ASSERT_TRUE(form->close());
        EXPECT_EQ(stored("Max voltage"), c.maxVoltage);
        EXPECT_EQ(stored("Voltage factor"), c.factor);
    }
}

TEST_F(PmtSetupTest, RangeShowsItsOwnZeroAndFactorAndEditingTheFactorSelectsIt) {
    writeIni("[PMT setup]\r\nCurrent zero 2=7\r\nCurrent factor 2=1.0500\r\n");
    openWindow();
    openSetup([&] {
        EXPECT_EQ(in<QComboBox>("ComboBox1")->currentText(), "1 mA");
        EXPECT_EQ(field("CZero")->text(), "0");
        EXPECT_EQ(field("CFact")->text(), "1.0000");

        QTest::keyClick(in<QComboBox>("ComboBox1"), Qt::Key_Down);
        QTest::keyClick(in<QComboBox>("ComboBox1"), Qt::Key_Down);
        ASSERT_EQ(in<QComboBox>("ComboBox1")->currentText(), "10 uA");
        EXPECT_EQ(field("CZero")->text(), "7");
        EXPECT_EQ(field("CFact")->text(), "1.0500");

        sim.clearRecord();
        type("CFact", "1.06");
        const TDevice& d = form->device();
        EXPECT_EQ(d.CurrentFactorText()[2], "1.06");
        EXPECT_DOUBLE_EQ(d.CurrentScale()[2], 4.883e-9 * 1.06) << "the calibration is recomputed";
        EXPECT_EQ(d.CurrentFactorText()[0], "1.0000") << "other ranges keep theirs";
        EXPECT_EQ(d.PMTRange(), 2);
        // Each keystroke changes the text, and each change selects the range on the detector
        // (1e-5 A is range 2); the high voltage stays off.
        ASSERT_FALSE(sim.registerWrites().empty());
        for (const RegisterWrite& w : sim.registerWrites())
            EXPECT_EQ(w, (RegisterWrite{kPmtControl, 2}));

        sim.clearRecord();
        type("CZero", "-3");
        EXPECT_EQ(d.CurrentZeroText()[2], "-3");
        EXPECT_EQ(d.CurrentZero()[2], -3.0);
        EXPECT_TRUE(sim.registerWrites().empty()) << "a zero reaches no module";

        pick(0);
        EXPECT_EQ(field("CZero")->text(), "0");
        EXPECT_EQ(field("CFact")->text(), "1.0000");
        pick(2);
        EXPECT_EQ(field("CFact")->text(), "1.06");
        pressClose();
    });
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored("Current factor 2"), "1.06");
    EXPECT_EQ(stored("Current zero 2"), "-3");
}

TEST_F(PmtSetupTest, ReadCurrentSelectsTheRangeAndShowsTheReadingInItsFormat) {
    struct Case {
        int item;
        int counts;
        const char *zero, *factor;
        const char* shown;
    };
    // Reading = (counts − zero) × nominal scale × factor; nominal scale 4.883e-7 A on "1 mA",
    // ten times less on each range after it.
    // Every range's format is tabled in the hardware tests.
    const Case cases[]{
        {4, 2528, "-0.4", "1", "123.46 nA"},   // 2528.4 × 4.883e-11 = 1.2346e-7 A
        {0, 512, "0", "1.0000", "0.2500 mA"},  // 2.500096e-4 A
        {5, -614, "0", "1.0006", "-3.000 nA"}, // -2.99996e-9 A
        {2, 2058, "10", "1", "10.000 uA"},     // the zero is taken off first: 1.0000384e-5 A
    };
    openWindow();
    openSetup([&] {
        EXPECT_EQ(shown("Panel2"), "..................");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.shown);
            pick(c.item);
            type("CZero", c.zero);
            type("CFact", c.factor);
            scriptReading(c.counts);
            // The detector sits on another range, as a run may leave it.
            form->device().PMTSetCurrent(PMTRangeFullScale[(c.item + 3) % 6]);
            sim.clearRecord();
            press("Button3");
            EXPECT_EQ(shown("Panel2"), c.shown);
            EXPECT_EQ(sim.registerWrites(),
                      (Writes{{kPmtControl, static_cast<std::uint8_t>(c.item)}}))
                << "the range is selected before the reading";
        }
        sim.scriptRead(kPmtCodeLow, {});
        sim.scriptRead(kPmtCodeHigh, {});
        pressClose();
    });
}

TEST_F(PmtSetupTest, SetVoltageSwitchesOnAtTheTypedVoltageOnTheSelectedRange) {
    struct Case {
        const char *maxVoltage, *factor, *volts;
        int item;
        int code; // 2048 − V × factor, V limited to the maximum
    };
    const Case cases[]{
        {"1000", "1.000", "750", 3, 1298}, {"1000", "1.05", "750", 3, 1260},
        {"2000", "1.005", "1100", 1, 942}, // 1105.5 exactly: the even code
        {"1000", "1.2", "2500", 0, 948},   // factor 1.1 and 1000 V used
        {"2500", "1", "2500", 5, 48},      // 2000 V at most
        {"1000", "1", "abc", 2, 2048},     // not a number: 0 V
    };
    openWindow();
    openSetup([&] {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.volts) + " V, factor " + c.factor);
            type("MaxVoltage", c.maxVoltage);
            type("VFactor", c.factor);
            pick(c.item);
            type("Voltage", c.volts);
            const auto range = static_cast<std::uint8_t>(c.item);
            const auto onBit = static_cast<std::uint8_t>(sim.pmtControl() & kHighVoltageOn);
            sim.clearRecord();
            press("Button2");
            const Writes expected{{kPmtCodeHigh, 8},
                                  {kPmtCodeLow, 0},
                                  {kPmtAcqControl, 10},
                                  {kPmtControl, static_cast<std::uint8_t>(range | onBit)},
                                  {kPmtCodeHigh, static_cast<std::uint8_t>(c.code >> 8)},
                                  {kPmtCodeLow, static_cast<std::uint8_t>(c.code & 0xFF)},
                                  {kPmtControl, static_cast<std::uint8_t>(range | kHighVoltageOn)}};
            EXPECT_EQ(sim.registerWrites(), expected);
            EXPECT_EQ(sim.pmtVoltageCode(), c.code);
        }
        pressClose();
    });
}

TEST_F(PmtSetupTest, EveryWayOfClosingSwitchesTheHighVoltageOff) {
    // The close box and Alt+F4 both reach the dialog as a close event.
    const std::pair<const char*, std::function<void(TPMTSetup&)>> ways[]{
        {"&Close", [](TPMTSetup& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); }},
        {"Esc", [](TPMTSetup& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"Esc in a field", [](TPMTSetup& d) { QTest::keyClick(d.Voltage, Qt::Key_Escape); }},
        {"close box", [](TPMTSetup& d) { d.close(); }},
        {"Enter in a field (the default button)",
         [](TPMTSetup& d) { QTest::keyClick(d.CZero, Qt::Key_Return); }},
    };
    openWindow();
    for (const auto& [way, closeWay] : ways) {
        SCOPED_TRACE(way);
        Writes onClosing;
        openSetup([&, &closeWay = closeWay] {
            type("Voltage", "500");
            press("Button2");
            ASSERT_EQ(sim.pmtControl() & kHighVoltageOn, kHighVoltageOn);
            sim.clearRecord();
            closeWay(setup());
            onClosing = sim.registerWrites();
            EXPECT_FALSE(setup().isVisible()) << "the dialog closes";
            if (setup().isVisible()) pressClose();
        });
        EXPECT_EQ(onClosing, (Writes{{kPmtControl, 0}}));
        EXPECT_EQ(sim.pmtControl(), 0);
    }
}

TEST_F(PmtSetupTest, OpeningStopsARunningOrPausedRunFirst) {
    openWindow();
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        form->documents().DataSaved = true; // no question between the runs
        startRun();
        ticks(2);
        if (paused) click("BitBtn2");
        ASSERT_EQ(sim.pmtControl() & kHighVoltageOn, kHighVoltageOn);
        openSetup([&] {
            EXPECT_EQ(form->runState(), RunState::Stopped);
            EXPECT_FALSE(form->acquisitionTimerEnabled());
            EXPECT_EQ(sim.pmtControl() & kHighVoltageOn, 0) << "Stop switched the detector off";
            EXPECT_EQ(sim.pumpDirection(), 0) << "and stopped the pump";
            pressClose();
        });
        EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
    }
}

TEST_F(PmtSetupTest, EachOpeningResetsTheTestVoltageAndTestsTheDetectorAgain) {
    openWindow();
    openSetup([&] {
        EXPECT_EQ(field("Voltage")->text(), "0");
        EXPECT_EQ(shown("Label2"), "OK");
        type("Voltage", "750");
        pick(3);
        scriptReading(100);
        press("Button3");
        pressClose();
    });
    const QString reading = shown("Panel2");
    EXPECT_EQ(reading, "0.0488 uA");

    sim.scriptRead(kPmtControl, {0x00}); // the detector stops answering
    openSetup([&] {
        EXPECT_EQ(field("Voltage")->text(), "0");
        EXPECT_EQ(shown("Label2"), "not ready");
        EXPECT_EQ(in<QComboBox>("ComboBox1")->currentText(), "1 uA") << "the range stays";
        EXPECT_EQ(shown("Panel2"), reading) << "the last reading stays";
        pressClose();
    });
    sim.scriptRead(kPmtControl, {});
    sim.scriptRead(kPmtCodeLow, {});
    sim.scriptRead(kPmtCodeHigh, {});
}

} // namespace
