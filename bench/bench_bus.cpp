// Cost of the bus primitives and of one PMT reading on the simulated instrument (without
// pacing) and on a backend that does nothing, so the program's own share per port access
// shows apart from the simulation.
#include "hardware/PortBackend.h"
#include "hardware/SimulatedInstrument.h"
#include "hardware/TDevice.h"

#include <chrono>
#include <cstdio>

using namespace varentis;

namespace {

class NullBackend final : public PortBackend {
public:
    int openPort() override { return 1; }
    void closePort() override {}
    void writePort(std::uint16_t, std::uint8_t value) override { sink_ ^= value; }
    std::uint8_t readPort(std::uint16_t) override { return sink_; }

private:
    std::uint8_t sink_ = 0;
};

volatile double gSink;

template <typename F>
double nsPer(int n, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) f(i);
    const auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    return ns / n;
}

void run(const char* name, PortBackend& backend) {
    TDevice dev(backend);
    dev.SetPMTMaxVoltage(1000);
    dev.SetPMTVoltageFactor(1.0);
    std::array<std::string, 6> ones;
    ones.fill(std::string(1, '1'));
    dev.SetCurrentTexts({}, ones);
    dev.PMTCalculateCFactors();
    dev.PMTOn(100, 1e-7);
    constexpr int n = 2'000'000;
    double acc = 0;
    const double setPort = nsPer(n, [&](int i) { dev.SetPort(0x80, static_cast<std::uint8_t>(i)); });
    const double readPort = nsPer(n, [&](int) { acc += dev.ReadPort(0x84); });
    const double pmt = nsPer(n, [&](int) { acc += dev.PMTGetCurrent(); });
    gSink = acc;
    std::printf("%-22s SetPort %6.1f ns (%5.1f ns/access)  ReadPort %6.1f ns (%5.1f ns/access)  "
                "PMTGetCurrent %6.1f ns\n",
                name, setPort, setPort / 6, readPort, readPort / 7, pmt);
}

} // namespace

int main() {
    NullBackend null;
    run("null backend", null);
    SimOptions o;
    o.clock = SimClockMode::Unpaced;
    SimulatedInstrument unpaced(o);
    run("simulated, unpaced", unpaced);
    o.clock = SimClockMode::Virtual;
    SimulatedInstrument virt(o);
    run("simulated, virtual", virt);
    return 0;
}
