#pragma once

#include <array>
#include <cstdint>

// The register map of the module bus and the bit packing of its registers. Both the
// drivers and the simulated instrument use these, so a packing fault shows in the tests
// of the packing functions rather than cancelling out between the two sides.
namespace varentis {

inline constexpr std::uint8_t kValves1to4 = 0x70;  // read: identity
inline constexpr std::uint8_t kValves9to12 = 0x71; // note the order: 9 to 12 before 5 to 8
inline constexpr std::uint8_t kValves5to8 = 0x72;
inline constexpr std::uint8_t kEcellControl = 0x74;  // read: identity
inline constexpr std::uint8_t kPumpSpeed = 0x80;     // read: identity
inline constexpr std::uint8_t kPumpDirection = 0x81;
// The timer's four registers do one thing when written and another when read: a write to
// 0x84..0x86 stops, starts or clears the counter, a read of 0x84..0x87 gives its bytes, low
// to high. The read side has names of its own so that a read of the count never looks like
// a stop.
inline constexpr std::uint8_t kTimerStop = 0x84;  // write
inline constexpr std::uint8_t kTimerStart = 0x85; // write
inline constexpr std::uint8_t kTimerClear = 0x86; // write
inline constexpr std::uint8_t kTimerCountByte0 = 0x84; // read: counter bits 0..7
inline constexpr std::uint8_t kTimerCountByte1 = 0x85; // read: counter bits 8..15
inline constexpr std::uint8_t kTimerCountByte2 = 0x86; // read: counter bits 16..23
inline constexpr std::uint8_t kTimerCountByte3 = 0x87; // read: counter bits 24..31
inline constexpr std::uint8_t kPmtCodeHigh = 0x90; // read: reading low byte
inline constexpr std::uint8_t kPmtCodeLow = 0x91;  // read: reading high byte with flags
inline constexpr std::uint8_t kPmtAcqControl = 0x92; // read: identity
inline constexpr std::uint8_t kEcellCodeHigh = 0x94; // read: reading low byte
inline constexpr std::uint8_t kEcellCodeLow = 0x95;  // read: reading high byte / busy
inline constexpr std::uint8_t kEcellSpan = 0x96;     // read: identity
inline constexpr std::uint8_t kEcellConvert = 0x97;
inline constexpr std::uint8_t kPmtControl = 0xA2; // read: identity

inline constexpr std::uint8_t kValveIdentity = 0x9D;
inline constexpr std::uint8_t kEcellIdentity = 0xA6; // bit 0 is not compared
inline constexpr std::uint8_t kPumpIdentity = 0x35;
inline constexpr std::uint8_t kPmtAcqIdentity = 0xB9;
inline constexpr std::uint8_t kEcellAcqIdentity = 0xCB;
inline constexpr std::uint8_t kPmtIdentity = 0x5B;

inline constexpr std::uint8_t kPmtHighVoltageOn = 0x08;
inline constexpr std::uint8_t kPmtRangeBits = 0x07;
inline constexpr std::uint8_t kPmtAcqControlValue = 10;
inline constexpr int kPmtZeroVoltCode = 2048;

inline constexpr std::uint16_t kReadingMagnitude = 0x0FFF;
inline constexpr std::uint16_t kReadingOverRange = 0x2000;
inline constexpr std::uint16_t kReadingPositive = 0x4000;
inline constexpr int kReadingFullCount = 4095;

inline constexpr std::uint8_t kEcellCellOff = 0;
inline constexpr std::uint8_t kEcellTwoElectrodes = 1;
inline constexpr std::uint8_t kEcellThreeElectrodes = 7;
inline constexpr std::uint8_t kEcellModeBits = 0x1F; // bits 5..7 hold the current range
inline constexpr std::uint8_t kEcellSpanNarrow = 10; // ±2 V, 1024 counts per volt
inline constexpr std::uint8_t kEcellSpanWide = 2;    // ±5 V, 409.6 counts per volt
inline constexpr int kEcellZeroVoltCode = 2048;
// A reading's high byte of 0x10 or more means the conversion is still running.
inline constexpr std::uint8_t kEcellConverting = 0x10;
// The wait for a conversion is bounded by this many reads of the high byte.
inline constexpr int kEcellConversionReads = 100;

inline constexpr std::uint8_t kPumpStopped = 0;
inline constexpr std::uint8_t kPumpForward = 1;
inline constexpr std::uint8_t kPumpReverse = 3;

inline constexpr double kTimerSecondsPerCount = 1e-5;

// The three valve-controller bytes in the order they are written: 0x70, 0x72, 0x71.
struct ValveBytes {
    std::uint8_t valves1to4 = 0;
    std::uint8_t valves5to8 = 0;
    std::uint8_t valves9to12 = 0;
};

// Each valve owns two adjacent bits, both set when it is on.
constexpr std::uint8_t packValveNibble(unsigned fourBits) {
    unsigned byte = 0;
    for (unsigned i = 0; i < 4; ++i)
        if (fourBits & (1u << i)) byte |= 3u << (2 * i);
    return static_cast<std::uint8_t>(byte);
}

constexpr ValveBytes packValves(std::uint16_t mask) {
    return {packValveNibble(mask & 0xFu), packValveNibble((mask >> 4) & 0xFu),
            packValveNibble((mask >> 8) & 0xFu)};
}

// A valve counts as on only when both of its bits are set, as the controller drives the
// pair together.
constexpr unsigned unpackValveNibble(std::uint8_t byte) {
    unsigned bits = 0;
    for (unsigned i = 0; i < 4; ++i)
        if (((byte >> (2 * i)) & 3u) == 3u) bits |= 1u << i;
    return bits;
}

constexpr std::uint16_t unpackValves(const ValveBytes& bytes) {
    return static_cast<std::uint16_t>(unpackValveNibble(bytes.valves1to4) |
                                      (unpackValveNibble(bytes.valves5to8) << 4) |
                                      (unpackValveNibble(bytes.valves9to12) << 8));
}

// The potentiostat control byte with its range bits replaced; the mode bits stay.
constexpr std::uint8_t ecellControlWithRange(std::uint8_t control, std::uint8_t range) {
    return static_cast<std::uint8_t>((control & kEcellModeBits) + 32 * range);
}

// Signed converter counts of a PMT reading word (magnitude 0..4095, sign bit set = positive).
constexpr int pmtReadingCounts(std::uint16_t word) {
    int magnitude = (word & kReadingOverRange) ? kReadingFullCount : (word & kReadingMagnitude);
    return (word & kReadingPositive) ? magnitude : -magnitude;
}

} // namespace varentis
