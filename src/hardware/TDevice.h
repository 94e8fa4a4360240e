#pragma once

#include "hardware/BusMutex.h"

#include <array>
#include <cstddef>
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
// return SI units and report no error. The application owns it; the device test window and
// the setup windows hold a reference, and the driver itself needs no widgets.
//
// The acquisition runs on a thread of its own while the window switches valves, sets the
// PMT voltage or tests the modules. Every operation below therefore holds the bus lock for
// its whole sequence of port accesses, so two operations never interleave on the bus. The
// lock is taken once per operation, never per port access. The register copies and the
// calibration are private and every accessor takes the same lock, so a window never reads
// half a change nor writes into an operation under way.
class TDevice {
public:
    explicit TDevice(PortBackend& bus);
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

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

    // Identifies every module (the bus sequence of the device test) and keeps the result
    // for LastDeviceTest. True when all five answered; the device test window adds its
    // "ignore" tick on top.
    bool DeviceTest(TimerCheck timer = TimerCheck::Free);
    // The identification alone, without touching LastDeviceTest.
    DeviceTestResults TestModules(TimerCheck timer = TimerCheck::Free);
    DeviceTestResults LastDeviceTest() const;

    // The register copies: what was last written to each control register. Only the
    // operations above change them.
    std::uint16_t ValveState() const;
    std::uint8_t PMTControl() const;
    std::uint8_t PMTAcqControl() const;
    std::uint8_t EcellControl() const;
    std::uint8_t PMTRange() const;
    std::uint8_t EcellRange() const;

    // The calibration, as the setup window and the settings file give it.
    double PMTMaxVoltage() const; // V
    void SetPMTMaxVoltage(double Volts);
    double PMTVoltageFactor() const; // dimensionless
    void SetPMTVoltageFactor(double Factor);
    // The zero and factor texts per PMT range, as typed; PMTCalculateCFactors reads them.
    // An index beyond the six ranges changes nothing.
    std::array<std::string, 6> CurrentZeroText() const;
    std::array<std::string, 6> CurrentFactorText() const;
    void SetCurrentZeroText(std::size_t Range, std::string Text);
    void SetCurrentFactorText(std::size_t Range, std::string Text);
    void SetCurrentTexts(const std::array<std::string, 6>& Zero,
                         const std::array<std::string, 6>& Factor);
    // What PMTCalculateCFactors made of them.
    std::array<double, 6> CurrentZero() const;  // converter counts
    std::array<double, 6> CurrentScale() const; // A per count

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
    // Reads one field under the bus lock.
    template <typename T> T locked(const T& field) const {
        std::lock_guard<BusMutex> lock(busMutex_);
        return field;
    }

    PortBackend& bus_;
    mutable BusMutex busMutex_;

    // Guarded by busMutex_, in the order of the register copies and calibration.
    DeviceTestResults lastDeviceTest_;
    std::uint16_t valveState_ = 0;
    std::uint8_t pmtControl_ = 0;
    std::uint8_t pmtAcqControl_ = 0;
    std::uint8_t ecellControl_ = 0;
    double pmtMaxVoltage_ = 0.0;
    double pmtVoltageFactor_ = 0.0;
    std::array<std::string, 6> currentZeroText_;
    std::array<std::string, 6> currentFactorText_;
    std::array<double, 6> currentZero_{};
    std::array<double, 6> currentScale_{};
    std::uint8_t pmtRange_ = 0;
    std::uint8_t ecellRange_ = 0;
};

} // namespace varentis
