#include "hardware/PMTSetupRules.h"

#include "core/NumberText.h"

#include <algorithm>
#include <array>

namespace varentis {

namespace {

constexpr double kMaxVoltageLimit = 2000; // V
constexpr double kFactorMin = 0.9;
constexpr double kFactorMax = 1.1;

struct ReadoutFormat {
    double unit; // A
    int decimals;
    const char* suffix;
};

// By range item: "1 mA", "100 uA", "10 uA", "1 uA", "100 nA", "10 nA".
constexpr std::array<ReadoutFormat, 6> kReadoutFormats{{{1e-3, 4, " mA"},
                                                        {1e-6, 2, " uA"},
                                                        {1e-6, 3, " uA"},
                                                        {1e-6, 4, " uA"},
                                                        {1e-9, 2, " nA"},
                                                        {1e-9, 3, " nA"}}};

} // namespace

double pmtMaxVoltageOf(std::string_view text) {
    const double v = readNumber(text);
    if (v < 0.0) return 0.0;
    return std::min(v, kMaxVoltageLimit);
}

double pmtVoltageFactorOf(std::string_view text) {
    return std::clamp(readNumber(text), kFactorMin, kFactorMax);
}

std::string pmtCurrentReadout(double current, std::size_t item) {
    const ReadoutFormat& f = kReadoutFormats[std::min(item, kReadoutFormats.size() - 1)];
    std::string out = text(current / f.unit, f.decimals);
    out += f.suffix;
    return out;
}

} // namespace varentis
