#include "hardware/TDevice.h"

#include "core/NumberText.h"
#include "hardware/ModuleCodes.h"
#include "hardware/PortBackend.h"
#include "hardware/Registers.h"

#include <algorithm>
#include <utility>

namespace varentis {

TDevice::TDevice(PortBackend& bus) : bus_(bus) {}

using Lock = std::lock_guard<BusMutex>;

// Both sequences leave the control port idle (0x0C); the bus needs no waits because the
// port accesses themselves are slow enough on the real port.
namespace {
// The address goes on the data lines and the SelectIn pulse latches it.
inline void latchAddress(PortBackend& bus, std::uint8_t address) {
    bus.writePort(kDataPort, address);
    bus.writePort(kControlPort, kControlAddressStrobe);
    bus.writePort(kControlPort, kControlIdle);
}
} // namespace

void TDevice::setPort(std::uint8_t address, std::uint8_t value) {
    latchAddress(bus_, address);
    bus_.writePort(kDataPort, value);
    bus_.writePort(kControlPort, kControlDataStrobe);
    bus_.writePort(kControlPort, kControlIdle);
}

std::uint8_t TDevice::readPort(std::uint8_t address) {
    latchAddress(bus_, address);
    bus_.writePort(kControlPort, kControlReadSelect);
    bus_.writePort(kControlPort, kControlReadStrobe);
    const std::uint8_t value = bus_.readPort(kDataPort);
    bus_.writePort(kControlPort, kControlIdle);
    return value;
}

void TDevice::SetPort(std::uint8_t Address, std::uint8_t Value) {
    Lock lock(busMutex_);
    setPort(Address, Value);
}

std::uint8_t TDevice::ReadPort(std::uint8_t Address) {
    Lock lock(busMutex_);
    return readPort(Address);
}

void TDevice::PMTOn(double Voltage, double Current) {
    Lock lock(busMutex_);
    // The code goes to 0 V before anything is switched, so the tube never sees a stale voltage.
    setPort(kPmtCodeHigh, kPmtZeroVoltCode >> 8);
    setPort(kPmtCodeLow, kPmtZeroVoltCode & 0xFF);
    pmtAcqControl_ = kPmtAcqControlValue;
    setPort(kPmtAcqControl, pmtAcqControl_);
    pmtSetCurrent(Current);
    pmtSetVoltage(Voltage);
    pmtControl_ = static_cast<std::uint8_t>(pmtControl_ | kPmtHighVoltageOn);
    setPort(kPmtControl, pmtControl_);
}

void TDevice::PMTSetVoltage(double Voltage) {
    Lock lock(busMutex_);
    pmtSetVoltage(Voltage);
}

void TDevice::pmtSetVoltage(double voltage) {
    const int code = pmtVoltageCode(voltage, pmtMaxVoltage_, pmtVoltageFactor_);
    setPort(kPmtCodeHigh, static_cast<std::uint8_t>(code >> 8));
    setPort(kPmtCodeLow, static_cast<std::uint8_t>(code & 0xFF));
}

void TDevice::PMTSetCurrent(double Current) {
    Lock lock(busMutex_);
    pmtSetCurrent(Current);
}

void TDevice::pmtSetCurrent(double current) {
    pmtRange_ = pmtRangeFor(current);
    pmtControl_ = static_cast<std::uint8_t>((pmtControl_ & kPmtHighVoltageOn) + pmtRange_);
    setPort(kPmtControl, pmtControl_);
}

void TDevice::PMTOff() {
    Lock lock(busMutex_);
    pmtControl_ = 0;
    setPort(kPmtControl, 0);
}

double TDevice::PMTGetCurrent() {
    Lock lock(busMutex_);
    const std::uint8_t hi = readPort(kPmtCodeLow);
    const std::uint8_t lo = readPort(kPmtCodeHigh);
    const int counts = pmtReadingCounts(static_cast<std::uint16_t>(hi * 256 + lo));
    // Only pmtRangeFor sets the range; should that ever reach past the table, the reading
    // stays inside it.
    const std::size_t r = std::min<std::size_t>(pmtRange_, currentZero_.size() - 1);
    return (counts - currentZero_[r]) * currentScale_[r];
}

void TDevice::PMTCalculateCFactors() {
    Lock lock(busMutex_);
    for (std::size_t i = 0; i < currentZero_.size(); ++i) {
        currentZero_[i] = readNumber(currentZeroText_[i]);
        currentScale_[i] = PMTNominalScale[i] * readNumber(currentFactorText_[i]);
    }
}

bool TDevice::PMTTest() {
    Lock lock(busMutex_);
    return pmtTest();
}

bool TDevice::pmtTest() {
    if (readPort(kPmtControl) != kPmtIdentity) return false;
    return readPort(kPmtAcqControl) == kPmtAcqIdentity;
}

void TDevice::EcellOn(bool ThreeElectrodes, double Current, double Potential) {
    Lock lock(busMutex_);
    ecellControl_ = ThreeElectrodes ? kEcellThreeElectrodes : kEcellTwoElectrodes;
    // The range write already carries the mode bits: the cell is on before the new potential
    // is set, and the control byte is written once more at the end.
    ecellSetCurrent(Current);
    ecellSetPotential(Potential);
    setPort(kEcellControl, ecellControl_);
}

void TDevice::EcellSetCurrent(double Current) {
    Lock lock(busMutex_);
    ecellSetCurrent(Current);
}

void TDevice::ecellSetCurrent(double current) {
    ecellRange_ = ecellRangeFor(current);
    ecellControl_ = ecellControlWithRange(ecellControl_, ecellRange_);
    setPort(kEcellControl, ecellControl_);
}

void TDevice::EcellSetPotential(double Potential) {
    Lock lock(busMutex_);
    ecellSetPotential(Potential);
}

void TDevice::ecellSetPotential(double potential) {
    const EcellPotentialCode c = ecellPotentialCode(potential);
    // The narrow span is written before the code, the wide span after it: in between, the
    // converter holds a wide-span code on the narrow span (a smaller potential), never a
    // narrow-span code on the wide span, which would be 2.5 times the potential asked for.
    if (!c.wideSpan) setPort(kEcellSpan, kEcellSpanNarrow);
    setPort(kEcellCodeHigh, static_cast<std::uint8_t>(c.code >> 8));
    setPort(kEcellCodeLow, static_cast<std::uint8_t>(c.code & 0xFF));
    if (c.wideSpan) setPort(kEcellSpan, kEcellSpanWide);
}

void TDevice::EcellOff() {
    Lock lock(busMutex_);
    ecellControl_ = kEcellCellOff;
    setPort(kEcellControl, kEcellCellOff);
}

double TDevice::EcellGetCurrent() {
    Lock lock(busMutex_);
    setPort(kEcellConvert, 0);
    // A conversion that never ends (a missing board reads 0xFF) must not hold the bus: after
    // the last read the value is converted as it stands.
    std::uint8_t hi = 0;
    for (int n = 0; n < kEcellConversionReads; ++n) {
        hi = readPort(kEcellCodeLow);
        if (hi < kEcellConverting) break;
    }
    const std::uint8_t lo = readPort(kEcellCodeHigh);
    return ecellReadingCurrent(static_cast<std::uint16_t>(hi * 256 + lo), ecellRange_);
}

void TDevice::TimerStart() { SetPort(kTimerStart, 0); }
void TDevice::TimerStop() { SetPort(kTimerStop, 0); }
void TDevice::TimerReset() { SetPort(kTimerClear, 0); }

std::uint32_t TDevice::readTimerCount() {
    const std::uint32_t b0 = readPort(kTimerCountByte0);
    const std::uint32_t b1 = readPort(kTimerCountByte1);
    const std::uint32_t b2 = readPort(kTimerCountByte2);
    const std::uint32_t b3 = readPort(kTimerCountByte3);
    return b0 | (b1 << 8) | (b2 << 16) | (b3 << 24);
}

double TDevice::GetTime() {
    Lock lock(busMutex_);
    // The counter runs while its bytes are read and has no latch: a carry out of byte 0
    // between two reads would pair an old low byte with a new high byte (0x0FFFF read as
    // 0x1FFFF). A higher byte can change only when byte 0 wraps, so byte 0 read once more
    // tells: lower than before, and the four are read again. The next wrap is 256 counts
    // (2.56 ms) away, the reads take microseconds.
    const std::uint32_t first = readTimerCount();
    std::uint32_t count = first;
    if (readPort(kTimerCountByte0) < (first & 0xFF)) count = readTimerCount();
    // Dividing by the exact 1e5 keeps 10000 counts at exactly 0.1 s.
    return count / 1e5;
}

void TDevice::SetValve(std::uint8_t Index, bool On) {
    // Indexes beyond the sixteen mask bits would shift out of the type.
    if (Index >= 16) return;
    Lock lock(busMutex_);
    // Read and written under one lock: a valve step of the run cannot slip in between.
    const auto bit = static_cast<std::uint16_t>(1u << Index);
    setValves(On ? static_cast<std::uint16_t>(valveState_ | bit)
                 : static_cast<std::uint16_t>(valveState_ & ~bit));
}

void TDevice::SetValves(std::uint16_t Mask) {
    Lock lock(busMutex_);
    setValves(Mask);
}

void TDevice::setValves(std::uint16_t mask) {
    valveState_ = mask;
    const ValveBytes bytes = packValves(mask);
    setPort(kValves1to4, bytes.valves1to4);
    setPort(kValves5to8, bytes.valves5to8);
    setPort(kValves9to12, bytes.valves9to12);
}

void TDevice::PumpRun(double Speed) {
    Lock lock(busMutex_);
    setPort(kPumpSpeed, pumpSpeedCode(Speed));
    setPort(kPumpDirection, pumpDirectionCode(Speed));
}

void TDevice::PumpStop() { SetPort(kPumpDirection, kPumpStopped); }

DeviceTestResults TDevice::TestModules(TimerCheck timer) {
    Lock lock(busMutex_);
    DeviceTestResults r;
    r.PMTDetector = pmtTest();
    // Bit 0 of the potentiostat identity is not compared.
    r.Potentiostat = (readPort(kEcellControl) & 0xFE) == kEcellIdentity &&
                     readPort(kEcellSpan) == kEcellAcqIdentity;

    if (timer == TimerCheck::Free) {
        setPort(kTimerStop, 0);
        setPort(kTimerClear, 0);
        bool timerOk = readPort(kTimerCountByte0) == 0;
        // Sixty port writes give a running counter time to count at least once.
        for (int i = 0; i < 10; ++i) setPort(kTimerStart, 0);
        if (readPort(kTimerCountByte0) == 0) timerOk = false;
        r.ProgrammableTimer = timerOk;
    } else {
        // The run's count stays: the counter must only be seen to count. A held counter
        // runs for the sixty port writes and is held again; a running one is watched.
        const std::uint8_t before = readPort(kTimerCountByte0);
        bool counted = false;
        if (timer == TimerCheck::Held) {
            for (int i = 0; i < 10; ++i) setPort(kTimerStart, 0);
            counted = readPort(kTimerCountByte0) != before;
        } else {
            for (int i = 0; i < 20 && !counted; ++i) counted = readPort(kTimerCountByte0) != before;
        }
        r.ProgrammableTimer = counted;
        if (timer == TimerCheck::Held) setPort(kTimerStop, 0);
    }

    r.ValveController = readPort(kValves1to4) == kValveIdentity;
    r.PumpController = readPort(kPumpSpeed) == kPumpIdentity;
    return r;
}

bool TDevice::DeviceTest(TimerCheck timer) {
    const DeviceTestResults results = TestModules(timer);
    Lock lock(busMutex_);
    lastDeviceTest_ = results;
    return results.allPassed();
}

DeviceTestResults TDevice::LastDeviceTest() const { return locked(lastDeviceTest_); }

std::uint16_t TDevice::ValveState() const { return locked(valveState_); }
std::uint8_t TDevice::PMTControl() const { return locked(pmtControl_); }
std::uint8_t TDevice::PMTAcqControl() const { return locked(pmtAcqControl_); }
std::uint8_t TDevice::EcellControl() const { return locked(ecellControl_); }
std::uint8_t TDevice::PMTRange() const { return locked(pmtRange_); }
std::uint8_t TDevice::EcellRange() const { return locked(ecellRange_); }

double TDevice::PMTMaxVoltage() const { return locked(pmtMaxVoltage_); }

void TDevice::SetPMTMaxVoltage(double Volts) {
    Lock lock(busMutex_);
    pmtMaxVoltage_ = Volts;
}

double TDevice::PMTVoltageFactor() const { return locked(pmtVoltageFactor_); }

void TDevice::SetPMTVoltageFactor(double Factor) {
    Lock lock(busMutex_);
    pmtVoltageFactor_ = Factor;
}

std::array<std::string, 6> TDevice::CurrentZeroText() const { return locked(currentZeroText_); }

std::array<std::string, 6> TDevice::CurrentFactorText() const {
    return locked(currentFactorText_);
}

void TDevice::SetCurrentZeroText(std::size_t Range, std::string Text) {
    if (Range >= currentZeroText_.size()) return;
    Lock lock(busMutex_);
    currentZeroText_[Range] = std::move(Text);
}

void TDevice::SetCurrentFactorText(std::size_t Range, std::string Text) {
    if (Range >= currentFactorText_.size()) return;
    Lock lock(busMutex_);
    currentFactorText_[Range] = std::move(Text);
}

void TDevice::SetCurrentTexts(const std::array<std::string, 6>& Zero,
                              const std::array<std::string, 6>& Factor) {
    Lock lock(busMutex_);
    currentZeroText_ = Zero;
    currentFactorText_ = Factor;
}

std::array<double, 6> TDevice::CurrentZero() const { return locked(currentZero_); }
std::array<double, 6> TDevice::CurrentScale() const { return locked(currentScale_); }

std::array<DeviceTestLine, 5> deviceTestLines(const DeviceTestResults& results) {
    auto text = [](bool ok) -> std::string_view { return ok ? "OK" : "not ready"; };
    return {{{"PMT detector", text(results.PMTDetector)},
             {"Potentiostat", text(results.Potentiostat)},
             {"Programmable timer", text(results.ProgrammableTimer)},
             {"Valve controller", text(results.ValveController)},
             {"Pump controller", text(results.PumpController)}}};
}

} // namespace varentis
