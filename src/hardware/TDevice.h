#pragma once

#include "hardware/BusMutex.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace varentis {

class PortBackend;

// Current ranges of the PMT amplifier; index 0 is the least sensitive.
inline constexpr std::array<double, 6> PMTRangeFullScale{1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
// Amperes per converter count, nominal (a decimal constant, not full scale / 2048).
inline constexpr std::array<double, 6> PMTNominalScale{4.883e-7,  4.883e-8,  4.883e-9,
                                                       4.883e-10, 4.883e-11, 4.883e-12};
// Current ranges of the potentiostat; index 0 is the least sensitive.
inline constexpr std::array<double, 7> EcellRangeFullScale{1e-3, 1e-4, 1e-5, 1e-6,
                                                           1e-7, 1e-8, 1e-9};
// Amperes per converter count of the cell-current reading (4.88 times a power of ten).
inline constexpr std::array<double, 7> EcellScale{4.88e-7,  4.88e-8,  4.88e-9, 4.88e-10,
                                                  4.88e-11, 4.88e-12, 4.88e-13};

// Which modules answered the device test.
struct DeviceTestResults {
    bool PMTDetector = false;
    bool Potentiostat = false;
    bool ProgrammableTimer = false;
    bool ValveController = false;
    bool PumpController = false;
    bool allPassed() const {
        return PMTDetector && Potentiostat && ProgrammableTimer && ValveController && PumpController;
    }
};

// One line of the device test: the module name (without the colon) and "OK" or "not ready".
struct DeviceTestLine {
    std::string_view module;
    std::string_view result;
};

// The five lines in the dialog's order: PMT detector, potentiostat, timer, valves, pump.
std::array<DeviceTestLine, 5> deviceTestLines(const DeviceTestResults& results);

// The module driver: every part of the program reaches the five instrument modules only
// through this one object, on the port backend it was given. All operations take and
// return SI units and report no error. The device test dialog derives from it; the driver
// itself needs no widgets.
//
// The acquisition runs on a thread of its own while the window switches valves, sets the
// PMT voltage or tests the modules. Every operation below therefore holds the bus lock for
// its whole sequence of port accesses, so two operations never interleave on the bus. The
// lock is taken once per operation, never per port access.
class TDevice {
public:
    explicit TDevice(PortBackend& bus);
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;
    virtual ~TDevice() = default;

    // Holds the bus lock: for code that changes the register copies or the calibration
    // while a run may be using them. Operations of this driver must not be called under it.
    class BusLock {
    public:
        explicit BusLock(TDevice& device) : lock_(device.busMutex_) {}

    private:
        std::lock_guard<BusMutex> lock_;
    };

    // Bus primitives: the exact strobe sequences on the data and control ports.
    void SetPort(std::uint8_t Address, std::uint8_t Value);
    std::uint8_t ReadPort(std::uint8_t Address);

    // PMT detector.
    void PMTOn(double Voltage, double Current); // V, A (the current selects the range)
    void PMTSetVoltage(double Voltage);         // V, limited to 0 .. PMTMaxVoltage
    void PMTSetCurrent(double Current);         // A, sign ignored
    void PMTOff();
    double PMTGetCurrent(); // A, signed
    void PMTCalculateCFactors();
    bool PMTTest();

    // Potentiostat.
    void EcellOn(bool ThreeElectrodes, double Current, double Potential); // A, V
    void EcellSetCurrent(double Current);     // A, sign ignored; selects the range
    void EcellSetPotential(double Potential); // V
    void EcellOff();
    // Starts one conversion and waits for it, at most kEcellConversionReads reads (A, signed).
    double EcellGetCurrent();

    // Programmable timer (10 µs counts).
    void TimerStart();
    void TimerStop();
    void TimerReset();
    double GetTime(); // s

    // Valves (bit 0 = V1) and pump.
    void SetValve(std::uint8_t Index, bool On);
    void SetValves(std::uint16_t Mask);
    void PumpRun(double Speed); // percent of full speed, sign = direction
    void PumpStop();

    // How the device test may treat the programmable timer. With no run in progress it
    // stops, clears and restarts it. A run's timer carries the run's time base: a paused
    // run's timer holds its count (the test lets it count briefly and holds it again), a
    // running one is only watched counting. Clearing it would set the run back to 0 s.
    enum class TimerCheck { Free, Held, Running };

    // Identifies every module (the bus sequence of the device test) and keeps the result in
    // LastDeviceTest. True when all five answered; the dialog adds its "ignore" tick.
    virtual bool DeviceTest(TimerCheck timer = TimerCheck::Free);
    // The identification alone, without touching LastDeviceTest.
    DeviceTestResults TestModules(TimerCheck timer = TimerCheck::Free);
    DeviceTestResults LastDeviceTest;

    // Fields, in the order of the register copies and calibration.
    std::uint16_t ValveState = 0;
    std::uint8_t PMTControl = 0;
    std::uint8_t PMTAcqControl = 0;
    std::uint8_t EcellControl = 0;
    double PMTMaxVoltage = 0.0;    // V
    double PMTVoltageFactor = 0.0; // dimensionless
    std::array<std::string, 6> CurrentZeroText;
    std::array<std::string, 6> CurrentFactorText;
    std::array<double, 6> CurrentZero{};  // converter counts
    std::array<double, 6> CurrentScale{}; // A per count
    std::uint8_t PMTRange = 0;
    std::uint8_t EcellRange = 0;

private:
    // The operations' bodies, called with the bus lock held.
    void setPort(std::uint8_t address, std::uint8_t value);
    std::uint8_t readPort(std::uint8_t address);
    void pmtSetVoltage(double voltage);
    void pmtSetCurrent(double current);
    void setValves(std::uint16_t mask);
    bool pmtTest();
    void ecellSetCurrent(double current);
    void ecellSetPotential(double potential);
    // The four counter bytes, low to high, as read.
    std::uint32_t readTimerCount();

    PortBackend& bus_;
    BusMutex busMutex_;
};

} // namespace varentis
