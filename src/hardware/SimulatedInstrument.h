#pragma once

#include "hardware/FlowCell.h"
#include "hardware/PortBackend.h"
#include "hardware/Registers.h"
#include "hardware/SimClock.h"

#include <array>
#include <cstdint>
#include <vector>

namespace varentis {

// Modules that a simulation can leave off the bus (for device tests).
enum SimModule : unsigned {
    SimPmtController = 1u << 0,
    SimPmtAcquisition = 1u << 1,
    SimPotentiostat = 1u << 2,
    SimPotentiostatAcquisition = 1u << 3,
    SimTimer = 1u << 4,
    SimValves = 1u << 5,
    SimPump = 1u << 6,
};

// Faults of modules that do answer on the bus (--sim-fault): demonstrations and tests of
// what the program does with an instrument that misbehaves.
enum SimFault : unsigned {
    SimTimerNotCounting = 1u << 0,       // the counter holds whatever it is told
    SimTimerNotClearing = 1u << 1,       // clear commands are lost; it powers up at a count
    SimConversionNotFinishing = 1u << 2, // the cell-current reading stays busy
    SimPmtOverRange = 1u << 3,           // the detector's amplifier is saturated
};

struct SimOptions {
    SimClockMode clock = SimClockMode::RealTime;
    double speed = 1.0; // model seconds per real second (--sim-speed)
    std::uint64_t seed = 1;
    std::uint8_t potentiostatIdentity = 0xA6; // 0xA6 or 0xA7: both boards exist
    unsigned absentModules = 0;               // SimModule bits
    unsigned faults = 0;                      // SimFault bits
    std::size_t recordLimit = 0;              // entries kept of each record; 0 records nothing
    FlowCellParameters flowCell;
};

// One access to a PC port, as the recorder keeps it.
struct PortAccess {
    bool write;
    std::uint16_t port;
    std::uint8_t value;
    bool operator==(const PortAccess&) const = default;
};

// One module register write that the simulator decoded from the strobe sequence.
struct RegisterWrite {
    std::uint8_t address;
    std::uint8_t value;
    bool operator==(const RegisterWrite&) const = default;
};

// The instrument without hardware: five modules behind the parallel port. It sees only
// the port traffic and decodes the strobe sequences as the module bus does, so the whole
// driver stack runs against it.
class SimulatedInstrument final : public PortBackend {
public:
    explicit SimulatedInstrument(const SimOptions& options = {});

    int openPort() override { return 1; }
    void closePort() override {}
    void writePort(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t readPort(std::uint16_t port) override;

    // Model time.
    SimClock& clock() { return clock_; }
    double modelSeconds() const { return static_cast<double>(clock_.now()) * 1e-9; }
    void advanceSeconds(double seconds);

    // Module state, as the hardware holds it.
    std::uint16_t valveMask() const { return unpackValves(valves_); }
    const ValveBytes& valveBytes() const { return valves_; }
    std::uint8_t pumpSpeed() const { return pumpSpeed_; }
    std::uint8_t pumpDirection() const { return pumpDirection_; }
    std::uint8_t pmtControl() const { return pmtControl_; }
    std::uint8_t pmtAcqControl() const { return pmtAcqControl_; }
    int pmtVoltageCode() const { return pmtCodeHigh_ * 256 + pmtCodeLow_; }
    double pmtHighVoltage() const; // V at the tube, 0 when switched off
    std::uint32_t timerCount() const { return timerCountAt(clock_.now()); }
    bool timerRunning() const { return timerRunning_; }
    std::uint8_t ecellControl() const { return ecellControl_; }
    int ecellPotentialCode() const { return ecellCodeHigh_ * 256 + ecellCodeLow_; }
    std::uint8_t ecellSpan() const { return ecellSpan_; }
    bool ecellCellOn() const { return (ecellControl_ & kEcellModeBits) != 0; }
    // The working electrode's potential that the codes set (V), whether the cell is on or not.
    double ecellPotential() const;
    // Anode current that the PMT board would convert now, without noise (A).
    double pmtCurrent(double seconds);
    FlowCell& flowCell() { return flow_; }

    // Recording for tests: off unless a limit is given; stops at the limit.
    void setRecordLimit(std::size_t limit) { recordLimit_ = limit; }
    void clearRecord();
    const std::vector<PortAccess>& portAccesses() const { return accesses_; }
    const std::vector<RegisterWrite>& registerWrites() const { return writes_; }

    // Makes register `address` answer `values` in turn (the last one stays), whatever the
    // modules hold; an empty list gives the register back to its module.
    void scriptRead(std::uint8_t address, std::vector<std::uint8_t> values);

private:
    enum class Phase : std::uint8_t { Idle, AddressPulse, Addressed, WritePulse, ReadSelect, Reading };

    void control(std::uint8_t value, std::int64_t now);
    void writeRegister(std::uint8_t address, std::uint8_t value, std::int64_t now);
    // One module each: false when the address is not one of that module's registers. A
    // module left off the bus still decodes its addresses, and ignores the write.
    bool writeValveRegister(std::uint8_t address, std::uint8_t value, std::int64_t now);
    bool writePumpRegister(std::uint8_t address, std::uint8_t value, std::int64_t now);
    bool writeTimerRegister(std::uint8_t address, std::int64_t now);
    bool writePmtRegister(std::uint8_t address, std::uint8_t value);
    bool writePotentiostatRegister(std::uint8_t address, std::uint8_t value);
    std::uint8_t readRegister(std::uint8_t address, std::int64_t now);
    bool present(unsigned module) const { return (absent_ & module) == 0; }
    void samplePmt(std::int64_t now);
    void startEcellConversion();
    void electrodeChanged();
    std::uint32_t timerCountAt(std::int64_t now) const;
    void record(bool write, std::uint16_t port, std::uint8_t value);
    double noise(); // about normal, mean 0, deviation 1

    SimClock clock_;
    unsigned absent_;
    unsigned faults_;
    std::uint8_t ecellIdentity_;
    std::uint64_t rng_;

    // Bus lines and the decoder.
    std::uint8_t dataLatch_ = 0;
    std::uint8_t control_ = kControlIdle;
    std::uint8_t address_ = 0;
    Phase phase_ = Phase::Idle;

    // Module registers.
    ValveBytes valves_;
    std::uint8_t pumpSpeed_ = 0;
    std::uint8_t pumpDirection_ = 0;
    bool timerRunning_ = false;
    std::int64_t timerBaseNs_ = 0;
    std::int64_t timerSinceNs_ = 0;
    std::uint8_t pmtCodeHigh_ = 8;
    std::uint8_t pmtCodeLow_ = 0;
    std::uint8_t pmtAcqControl_ = 0;
    std::uint8_t pmtControl_ = 0;
    std::uint16_t pmtWord_ = kReadingPositive;
    std::uint8_t ecellControl_ = 0;
    std::uint8_t ecellCodeHigh_ = 8;
    std::uint8_t ecellCodeLow_ = 0;
    std::uint8_t ecellSpan_ = 10;
    int ecellBusyReads_ = 0; // reads of the high byte still to answer "converting"
    std::uint16_t ecellRaw_ = 2048;

    FlowCell flow_;

    std::size_t recordLimit_;
    std::vector<PortAccess> accesses_;
    std::vector<RegisterWrite> writes_;

    bool anyScripted_ = false;
    std::array<std::vector<std::uint8_t>, 256> scripted_;
    std::array<std::size_t, 256> scriptedNext_{};
};

} // namespace varentis
