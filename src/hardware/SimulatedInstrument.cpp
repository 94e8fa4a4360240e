#include "hardware/SimulatedInstrument.h"

#include "core/NumberText.h"
#include "hardware/TDevice.h"

#include <algorithm>
#include <cmath>

namespace varentis {

namespace {

constexpr std::int64_t kTimerTickNs = 10'000;
// A timer whose clear command is lost keeps the count it powered up with.
constexpr std::int64_t kUnclearedPowerOnCount = 0xA53C71;
// A cell-current conversion answers "busy" this many times before its value is ready, so
// the driver's wait is exercised in every clock mode.
constexpr int kEcellConversionBusyReads = 2;
constexpr std::uint8_t kEcellBusy = 0x1F;
constexpr std::uint8_t kFloatingBus = 0xFF;
constexpr double kPmtReferenceVoltage = 100.0; // V at which the flow cell's light is given
constexpr double kPmtRelativeNoise = 0.02;
constexpr double kPmtAmplifierNoiseCounts = 0.3;
constexpr double kCellRelativeNoise = 0.02;

double seconds(std::int64_t ns) { return static_cast<double>(ns) * 1e-9; }

bool valve1Open(std::uint8_t valves1to4) { return (valves1to4 & 3u) == 3u; }

} // namespace

SimulatedInstrument::SimulatedInstrument(const SimOptions& options)
    : clock_(options.clock, options.speed), absent_(options.absentModules),
      faults_(options.faults), ecellIdentity_(options.potentiostatIdentity),
      rng_(options.seed ? options.seed : 0x9E3779B97F4A7C15ull), flow_(options.flowCell),
      recordLimit_(options.recordLimit) {
    if (faults_ & SimTimerNotClearing) timerBaseNs_ = kUnclearedPowerOnCount * kTimerTickNs;
}

void SimulatedInstrument::advanceSeconds(double s) {
    if (s > 0) clock_.advance(static_cast<std::int64_t>(std::llround(s * 1e9)));
}

void SimulatedInstrument::record(bool write, std::uint16_t port, std::uint8_t value) {
    if (accesses_.size() < recordLimit_) accesses_.push_back({write, port, value});
}

void SimulatedInstrument::clearRecord() {
    accesses_.clear();
    writes_.clear();
}

void SimulatedInstrument::scriptRead(std::uint8_t address, std::vector<std::uint8_t> values) {
    scripted_[address] = std::move(values);
    scriptedNext_[address] = 0;
    anyScripted_ = std::any_of(scripted_.begin(), scripted_.end(),
                               [](const auto& v) { return !v.empty(); });
}

void SimulatedInstrument::writePort(std::uint16_t port, std::uint8_t value) {
    const std::int64_t now = clock_.tick();
    if (recordLimit_) record(true, port, value);
    if (port == kDataPort)
        dataLatch_ = value;
    else if (port == kControlPort)
        control(value, now);
}

std::uint8_t SimulatedInstrument::readPort(std::uint16_t port) {
    const std::int64_t now = clock_.tick();
    std::uint8_t value = kFloatingBus;
    if (port == kDataPort) {
        if (!(control_ & kControlDirectionInput))
            value = dataLatch_; // the PC drives the lines and reads its own latch back
        else if (phase_ == Phase::Reading)
            value = readRegister(address_, now);
    } else if (port == kControlPort) {
        value = control_;
    }
    if (recordLimit_) record(false, port, value);
    return value;
}

// The bus decoder. Each register access needs its own complete sequence: the SelectIn
// pulse latches the address, then either the Init pulse writes the data byte or read
// select followed by Init lets the register drive the lines. Anything out of order drops
// the latched address, so a broken sequence never writes a register.
void SimulatedInstrument::control(std::uint8_t value, std::int64_t now) {
    const std::uint8_t previous = control_;
    control_ = value;
    if (value == previous) return;
    switch (value) {
    case kControlAddressStrobe:
        phase_ = Phase::AddressPulse;
        break;
    case kControlIdle:
        if (phase_ == Phase::AddressPulse && previous == kControlAddressStrobe) {
            address_ = dataLatch_;
            phase_ = Phase::Addressed;
        } else {
            if (phase_ == Phase::WritePulse && previous == kControlDataStrobe)
                writeRegister(address_, dataLatch_, now);
            phase_ = Phase::Idle;
        }
        break;
    case kControlDataStrobe:
        phase_ = (phase_ == Phase::Addressed && previous == kControlIdle) ? Phase::WritePulse : Phase::Idle;
        break;
    case kControlReadSelect:
        phase_ = (phase_ == Phase::Addressed && previous == kControlIdle) ? Phase::ReadSelect : Phase::Idle;
        break;
    case kControlReadStrobe:
        phase_ = (phase_ == Phase::ReadSelect && previous == kControlReadSelect) ? Phase::Reading : Phase::Idle;
        break;
    default:
        phase_ = Phase::Idle;
        break;
    }
}

std::uint32_t SimulatedInstrument::timerCountAt(std::int64_t now) const {
    const bool counting = timerRunning_ && !(faults_ & SimTimerNotCounting);
    const std::int64_t ns = timerBaseNs_ + (counting ? now - timerSinceNs_ : 0);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ns / kTimerTickNs));
}

void SimulatedInstrument::writeRegister(std::uint8_t address, std::uint8_t value, std::int64_t now) {
    if (writes_.size() < recordLimit_) writes_.push_back({address, value});
    // The modules decode disjoint addresses; a write no module decodes is lost on the bus.
    writeValveRegister(address, value, now) || writePumpRegister(address, value, now) ||
        writeTimerRegister(address, now) || writePmtRegister(address, value) ||
        writePotentiostatRegister(address, value);
}

bool SimulatedInstrument::writeValveRegister(std::uint8_t address, std::uint8_t value,
                                             std::int64_t now) {
    switch (address) {
    case kValves1to4:
        if (!present(SimValves)) break;
        if (!valve1Open(valves_.valves1to4) && valve1Open(value)) flow_.inject(seconds(now));
        valves_.valves1to4 = value;
        break;
    case kValves5to8:
        if (present(SimValves)) valves_.valves5to8 = value;
        break;
    case kValves9to12:
        if (present(SimValves)) valves_.valves9to12 = value;
        break;
    default:
        return false;
    }
    return true;
}

bool SimulatedInstrument::writePumpRegister(std::uint8_t address, std::uint8_t value,
                                            std::int64_t now) {
    if (address != kPumpSpeed && address != kPumpDirection) return false;
    if (!present(SimPump)) return true;
    (address == kPumpSpeed ? pumpSpeed_ : pumpDirection_) = value;
    flow_.setPump(seconds(now), pumpSpeed_, pumpDirection_);
    return true;
}

// The timer's commands carry no data: the write itself is the command.
bool SimulatedInstrument::writeTimerRegister(std::uint8_t address, std::int64_t now) {
    switch (address) {
    case kTimerStop:
        if (present(SimTimer) && timerRunning_) {
            timerBaseNs_ += now - timerSinceNs_;
            timerRunning_ = false;
        }
        break;
    case kTimerStart:
        if (present(SimTimer) && !timerRunning_) {
            timerSinceNs_ = now;
            timerRunning_ = true;
        }
        break;
    case kTimerClear:
        if (present(SimTimer) && !(faults_ & SimTimerNotClearing)) {
            timerBaseNs_ = 0;
            timerSinceNs_ = now;
        }
        break;
    default:
        return false;
    }
    return true;
}

bool SimulatedInstrument::writePmtRegister(std::uint8_t address, std::uint8_t value) {
    switch (address) {
    case kPmtCodeHigh:
        if (present(SimPmtAcquisition)) pmtCodeHigh_ = value & 0x0F;
        break;
    case kPmtCodeLow:
        if (present(SimPmtAcquisition)) pmtCodeLow_ = value;
        break;
    case kPmtAcqControl:
        if (present(SimPmtAcquisition)) pmtAcqControl_ = value;
        break;
    case kPmtControl:
        if (present(SimPmtController)) pmtControl_ = value;
        break;
    default:
        return false;
    }
    return true;
}

bool SimulatedInstrument::writePotentiostatRegister(std::uint8_t address, std::uint8_t value) {
    switch (address) {
    case kEcellControl:
        if (!present(SimPotentiostat)) break;
        ecellControl_ = value;
        electrodeChanged();
        break;
    case kEcellCodeHigh:
    case kEcellCodeLow:
    case kEcellSpan:
        if (!present(SimPotentiostatAcquisition)) break;
        if (address == kEcellCodeHigh) ecellCodeHigh_ = value & 0x0F;
        else if (address == kEcellCodeLow) ecellCodeLow_ = value;
        else ecellSpan_ = value;
        electrodeChanged();
        break;
    case kEcellConvert:
        if (present(SimPotentiostatAcquisition)) startEcellConversion();
        break;
    default:
        return false;
    }
    return true;
}

std::uint8_t SimulatedInstrument::readRegister(std::uint8_t address, std::int64_t now) {
    if (anyScripted_ && !scripted_[address].empty()) {
        const auto& values = scripted_[address];
        std::size_t& next = scriptedNext_[address];
        const std::uint8_t value = values[std::min(next, values.size() - 1)];
        if (next < values.size()) ++next;
        return value;
    }
    switch (address) {
    case kValves1to4:
        return present(SimValves) ? kValveIdentity : kFloatingBus;
    case kEcellControl:
        return present(SimPotentiostat) ? ecellIdentity_ : kFloatingBus;
    case kPumpSpeed:
        return present(SimPump) ? kPumpIdentity : kFloatingBus;
    case kTimerCountByte0:
    case kTimerCountByte1:
    case kTimerCountByte2:
    case kTimerCountByte3:
        if (!present(SimTimer)) return kFloatingBus;
        return static_cast<std::uint8_t>(timerCountAt(now) >> (8 * (address - kTimerCountByte0)));
    case kPmtCodeLow: // the high byte is read first and starts a fresh sample
        if (!present(SimPmtAcquisition)) return kFloatingBus;
        samplePmt(now);
        return static_cast<std::uint8_t>(pmtWord_ >> 8);
    case kPmtCodeHigh:
        return present(SimPmtAcquisition) ? static_cast<std::uint8_t>(pmtWord_ & 0xFF) : kFloatingBus;
    case kPmtAcqControl:
        return present(SimPmtAcquisition) ? kPmtAcqIdentity : kFloatingBus;
    case kEcellCodeLow:
        if (!present(SimPotentiostatAcquisition)) return kFloatingBus;
        if (faults_ & SimConversionNotFinishing) return kEcellBusy;
        if (ecellBusyReads_ > 0) {
            --ecellBusyReads_;
            return kEcellBusy;
        }
        return static_cast<std::uint8_t>(ecellRaw_ >> 8);
    case kEcellCodeHigh:
        return present(SimPotentiostatAcquisition) ? static_cast<std::uint8_t>(ecellRaw_ & 0xFF)
                                                   : kFloatingBus;
    case kEcellSpan:
        return present(SimPotentiostatAcquisition) ? kEcellAcqIdentity : kFloatingBus;
    case kPmtControl:
        return present(SimPmtController) ? kPmtIdentity : kFloatingBus;
    default:
        return kFloatingBus;
    }
}

double SimulatedInstrument::pmtHighVoltage() const {
    if (!present(SimPmtController) || !(pmtControl_ & kPmtHighVoltageOn)) return 0.0;
    return std::max(0, kPmtZeroVoltCode - pmtVoltageCode());
}

double SimulatedInstrument::pmtCurrent(double s) {
    const double volts = pmtHighVoltage();
    if (volts <= 0) return 0.0;
    // The gain of a tube with seven dynodes goes with the seventh power of the voltage.
    const double r = volts / kPmtReferenceVoltage;
    const double r2 = r * r;
    return flow_.light(s) * (r2 * r2 * r2 * r);
}

double SimulatedInstrument::noise() {
    // Sum of four uniforms (xorshift64*): close enough to normal, and cheap.
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        rng_ ^= rng_ >> 12;
        rng_ ^= rng_ << 25;
        rng_ ^= rng_ >> 27;
        sum += static_cast<double>((rng_ * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
    }
    return (sum - 2.0) * 1.7320508075688772; // deviation sqrt(4/12) → 1
}

void SimulatedInstrument::samplePmt(std::int64_t now) {
    // The board converts only once the program has set it up.
    if (pmtAcqControl_ != kPmtAcqControlValue) return;
    if (faults_ & SimPmtOverRange) {
        pmtWord_ = kReadingFullCount | kReadingOverRange | kReadingPositive;
        return;
    }
    const std::size_t range = std::min<std::size_t>(pmtControl_ & kPmtRangeBits, 5);
    const double current = pmtCurrent(seconds(now)) * (1.0 + kPmtRelativeNoise * noise());
    const double counts = current / PMTNominalScale[range] + kPmtAmplifierNoiseCounts * noise();
    const bool over = std::fabs(current) > PMTRangeFullScale[range];
    const auto magnitude = static_cast<std::uint16_t>(std::min<std::int64_t>(rnd(std::fabs(counts)), kReadingFullCount));
    pmtWord_ = static_cast<std::uint16_t>(magnitude | (over ? kReadingOverRange : 0) |
                                          (counts >= 0 ? kReadingPositive : 0));
}

double SimulatedInstrument::ecellPotential() const {
    const double countsPerVolt = ecellSpan_ == kEcellSpanWide ? 409.6 : 1024.0;
    return (ecellPotentialCode() - kEcellZeroVoltCode) / countsPerVolt;
}

void SimulatedInstrument::electrodeChanged() {
    // Only a cell that is switched on holds its electrode at the potential; the light of
    // the sample plugs needs it.
    flow_.setElectrode(ecellCellOn(), ecellPotential());
}

void SimulatedInstrument::startEcellConversion() {
    const std::size_t range = std::min<std::size_t>(ecellControl_ >> 5, EcellScale.size() - 1);
    const double current =
        ecellCellOn() ? flow_.cellCurrent(ecellPotential()) * (1.0 + kCellRelativeNoise * noise())
                      : 0.0;
    const double counts = current / EcellScale[range] + kPmtAmplifierNoiseCounts * noise();
    // A positive current reads below 2048; beyond the range the converter stops at its ends.
    ecellRaw_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(rnd(2048 - counts), 0, 4095));
    ecellBusyReads_ = kEcellConversionBusyReads;
}

} // namespace varentis
