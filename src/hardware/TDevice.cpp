#include "hardware/TDevice.h"

#include "core/NumberText.h"
#include "hardware/ModuleCodes.h"
#include "hardware/PortBackend.h"
#include "hardware/Registers.h"

#include <algorithm>

namespace varentis {

TDevice::TDevice() = default;

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

void TDevice::SetPort(std::uint8_t Address, std::uint8_t Value) {
    PortBackend& bus = portBackend();
    latchAddress(bus, Address);
    bus.writePort(kDataPort, Value);
    bus.writePort(kControlPort, kControlDataStrobe);
    bus.writePort(kControlPort, kControlIdle);
}

std::uint8_t TDevice::ReadPort(std::uint8_t Address) {
    PortBackend& bus = portBackend();
    latchAddress(bus, Address);
    bus.writePort(kControlPort, kControlReadSelect);
    bus.writePort(kControlPort, kControlReadStrobe);
    const std::uint8_t value = bus.readPort(kDataPort);
    bus.writePort(kControlPort, kControlIdle);
    return value;
}

void TDevice::PMTOn(double Voltage, double Current) {
    // The code goes to 0 V before anything is switched, so the tube never sees a stale voltage.
    SetPort(kPmtCodeHigh, kPmtZeroVoltCode >> 8);
    SetPort(kPmtCodeLow, kPmtZeroVoltCode & 0xFF);
    PMTAcqControl = kPmtAcqControlValue;
    SetPort(kPmtAcqControl, PMTAcqControl);
    PMTSetCurrent(Current);
    PMTSetVoltage(Voltage);
    PMTControl = static_cast<std::uint8_t>(PMTControl | kPmtHighVoltageOn);
    SetPort(kPmtControl, PMTControl);
}

void TDevice::PMTSetVoltage(double Voltage) {
    const int code = pmtVoltageCode(Voltage, PMTMaxVoltage, PMTVoltageFactor);
    SetPort(kPmtCodeHigh, static_cast<std::uint8_t>(code >> 8));
    SetPort(kPmtCodeLow, static_cast<std::uint8_t>(code & 0xFF));
}

void TDevice::PMTSetCurrent(double Current) {
    PMTRange = pmtRangeFor(Current);
    PMTControl = static_cast<std::uint8_t>((PMTControl & kPmtHighVoltageOn) + PMTRange);
    SetPort(kPmtControl, PMTControl);
}

void TDevice::PMTOff() {
    PMTControl = 0;
    SetPort(kPmtControl, 0);
}

double TDevice::PMTGetCurrent() {
    const std::uint8_t hi = ReadPort(kPmtCodeLow);
    const std::uint8_t lo = ReadPort(kPmtCodeHigh);
    const int counts = pmtReadingCounts(static_cast<std::uint16_t>(hi * 256 + lo));
    // The field is public; a range beyond the table must not read outside it.
    const std::size_t r = std::min<std::size_t>(PMTRange, CurrentZero.size() - 1);
    return (counts - CurrentZero[r]) * CurrentScale[r];
}

void TDevice::PMTCalculateCFactors() {
    for (std::size_t i = 0; i < CurrentZero.size(); ++i) {
        CurrentZero[i] = readNumber(CurrentZeroText[i]);
        CurrentScale[i] = PMTNominalScale[i] * readNumber(CurrentFactorText[i]);
    }
}

bool TDevice::PMTTest() {
    if (ReadPort(kPmtControl) != kPmtIdentity) return false;
    return ReadPort(kPmtAcqControl) == kPmtAcqIdentity;
}

void TDevice::TimerStart() { SetPort(kTimerStart, 0); }
void TDevice::TimerStop() { SetPort(kTimerStop, 0); }
void TDevice::TimerReset() { SetPort(kTimerClear, 0); }

double TDevice::GetTime() {
    const std::uint32_t b0 = ReadPort(kTimerStop);
    const std::uint32_t b1 = ReadPort(kTimerStart);
    const std::uint32_t b2 = ReadPort(kTimerClear);
    const std::uint32_t b3 = ReadPort(kTimerByte3);
    const std::uint32_t count = b0 | (b1 << 8) | (b2 << 16) | (b3 << 24);
    // Dividing by the exact 1e5 keeps 10000 counts at exactly 0.1 s.
    return count / 1e5;
}

void TDevice::SetValve(std::uint8_t Index, bool On) {
    // Indexes beyond the sixteen mask bits would shift out of the type.
    if (Index >= 16) return;
    const auto bit = static_cast<std::uint16_t>(1u << Index);
    SetValves(On ? static_cast<std::uint16_t>(ValveState | bit)
                 : static_cast<std::uint16_t>(ValveState & ~bit));
}

void TDevice::SetValves(std::uint16_t Mask) {
    ValveState = Mask;
    const ValveBytes bytes = packValves(Mask);
    SetPort(kValves1to4, bytes.valves1to4);
    SetPort(kValves5to8, bytes.valves5to8);
    SetPort(kValves9to12, bytes.valves9to12);
}

void TDevice::PumpRun(double Speed) {
    SetPort(kPumpSpeed, pumpSpeedCode(Speed));
    SetPort(kPumpDirection, pumpDirectionCode(Speed));
}

void TDevice::PumpStop() { SetPort(kPumpDirection, kPumpStopped); }

DeviceTestResults TDevice::TestModules(TimerCheck timer) {
    DeviceTestResults r;
    r.PMTDetector = PMTTest();
    // Bit 0 of the potentiostat identity is not compared.
    r.Potentiostat = (ReadPort(kEcellControl) & 0xFE) == kEcellIdentity &&
                     ReadPort(kEcellSpan) == kEcellAcqIdentity;

    if (timer == TimerCheck::Free) {
        SetPort(kTimerStop, 0);
        SetPort(kTimerClear, 0);
        bool timerOk = ReadPort(kTimerStop) == 0;
        // Sixty port writes give a running counter time to count at least once.
        for (int i = 0; i < 10; ++i) SetPort(kTimerStart, 0);
        if (ReadPort(kTimerStop) == 0) timerOk = false;
        r.ProgrammableTimer = timerOk;
    } else {
        // The run's count stays: the counter must only be seen to count. A held counter
        // runs for the sixty port writes and is held again; a running one is watched.
        const std::uint8_t before = ReadPort(kTimerStop);
        bool counted = false;
        if (timer == TimerCheck::Held) {
            for (int i = 0; i < 10; ++i) SetPort(kTimerStart, 0);
            counted = ReadPort(kTimerStop) != before;
        } else {
            for (int i = 0; i < 20 && !counted; ++i) counted = ReadPort(kTimerStop) != before;
        }
        r.ProgrammableTimer = counted;
        if (timer == TimerCheck::Held) SetPort(kTimerStop, 0);
    }

    r.ValveController = ReadPort(kValves1to4) == kValveIdentity;
    r.PumpController = ReadPort(kPumpSpeed) == kPumpIdentity;
    return r;
}

bool TDevice::DeviceTest() { return DeviceTest(TimerCheck::Free); }

bool TDevice::DeviceTest(TimerCheck timer) {
    LastDeviceTest = TestModules(timer);
    return LastDeviceTest.allPassed();
}

std::array<DeviceTestLine, 5> deviceTestLines(const DeviceTestResults& results) {
    auto text = [](bool ok) -> std::string_view { return ok ? "OK" : "not ready"; };
    return {{{"PMT detector", text(results.PMTDetector)},
             {"Potentiostat", text(results.Potentiostat)},
             {"Programmable timer", text(results.ProgrammableTimer)},
             {"Valve controller", text(results.ValveController)},
             {"Pump controller", text(results.PumpController)}}};
}

} // namespace varentis
