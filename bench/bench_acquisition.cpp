// The acquisition loop without a window: how many passes one 105 ms tick makes, what one
// pass costs the program itself, and how many port accesses it makes. On a legacy parallel
// port every access takes about a microsecond, so the accesses set the pace there; the
// program's own work should stay a small share of a pass.
//
// (a) the simulated instrument without pacing: passes run flat out, the simulator's
//     decoding included;
// (b) a backend that only hands back fixed bytes, with a timer that moves 1 µs per port
//     access like a legacy port: what is left is the program's own cost;
// (c) the same with the potentiostat in use: a cell-current conversion in every pass, which
//     the fixed backend finishes at once;
// (d) the same with a conversion that never finishes: the wait's bound of 100 reads.
#include "hardware/PortBackend.h"
#include "hardware/Registers.h"
#include "hardware/SimulatedInstrument.h"
#include "hardware/TDevice.h"
#include "measurement/PointStore.h"
#include "measurement/PumpProgram.h"
#include "measurement/RunControl.h"

#include <chrono>
#include <cstdio>

using namespace varentis;

namespace {

constexpr double kLegacyAccessNs = 1000.0; // one access on a legacy port

// Counts the accesses that reach another backend.
class CountingBackend final : public PortBackend {
public:
    explicit CountingBackend(PortBackend& inner) : inner_(inner) {}
    int openPort() override { return inner_.openPort(); }
    void closePort() override { inner_.closePort(); }
    void writePort(std::uint16_t port, std::uint8_t value) override {
        ++accesses;
        inner_.writePort(port, value);
    }
    std::uint8_t readPort(std::uint16_t port) override {
        ++accesses;
        return inner_.readPort(port);
    }
    std::uint64_t accesses = 0;

private:
    PortBackend& inner_;
};

// Fixed bytes for every register but the timer, whose count follows the accesses made so
// far at 1 µs each. The register is the last byte put on the data lines before the read.
class FixedBytesBackend final : public PortBackend {
public:
    int openPort() override { return 1; }
    void closePort() override {}
    void writePort(std::uint16_t port, std::uint8_t value) override {
        ++accesses;
        if (port == kDataPort) address_ = value;
    }
    std::uint8_t readPort(std::uint16_t) override {
        ++accesses;
        // 10 µs per timer count; latched with the low byte, as a reading is taken in order.
        if (address_ == kTimerCountByte0) latched_ = static_cast<std::uint32_t>(accesses / 10);
        switch (address_) {
        case kTimerCountByte0: return static_cast<std::uint8_t>(latched_);
        case kTimerCountByte1: return static_cast<std::uint8_t>(latched_ >> 8);
        case kTimerCountByte2: return static_cast<std::uint8_t>(latched_ >> 16);
        case kTimerCountByte3: return static_cast<std::uint8_t>(latched_ >> 24);
        case kEcellCodeLow: return conversionHigh;
        default: return 0x5A;
        }
    }
    std::uint64_t accesses = 0;
    std::uint8_t conversionHigh = 0x07; // 0x10 or more: still converting

private:
    std::uint8_t address_ = 0;
    std::uint32_t latched_ = 0;
};

// The window side: it adds up the readings behind each point.
class BenchView final : public RunView {
public:
    RunControl* run = nullptr;
    std::uint64_t passesInPoints = 0;

    void runStateChanged(RunState) override {}
    void pointTaken(const RunPoint&) override {
        passesInPoints += static_cast<std::uint64_t>(run->SampleCount);
    }
    void liveSignal(const std::string&, double) override {}
    void valvesApplied(std::uint16_t) override {}
};

struct Figures {
    double passesPerTick;
    double nsPerPass;
    double accessesPerPass;
};

// Starts a run and times `ticks` acquisition ticks; `accesses` reads the access count.
template <typename Accesses>
Figures measure(PortBackend& bus, int ticks, Accesses accesses, bool potentiostat = false) {
    TDevice dev(bus);
    dev.SetPMTMaxVoltage(1000);
    dev.SetPMTVoltageFactor(1.0);
    std::array<std::string, 6> ones;
    ones.fill("1");
    dev.SetCurrentTexts({}, ones);
    dev.PMTCalculateCFactors();
    BenchView view;
    RunControl run(dev, view);
    view.run = &run;
    RunOptions options;
    auto programs = std::make_shared<RunPrograms>();
    programs->Pump = parsePumpProgram("50", options.CycleTime);
    options.Programs = programs;
    options.UsingPotentiostat = potentiostat;
    run.start(options, PointSizing::forRun(runCapacity(options.Scale.XMax, options.Period),
                                           potentiostat));

    const std::uint64_t accessesBefore = accesses();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) run.tick();
    const double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    const double passes =
        static_cast<double>(view.passesInPoints + static_cast<std::uint64_t>(run.SampleCount));
    const double accessCount = static_cast<double>(accesses() - accessesBefore);
    run.stop();
    return {passes / ticks, ns / passes, accessCount / passes};
}

} // namespace

int main() {
    SimOptions o;
    o.clock = SimClockMode::Unpaced;
    SimulatedInstrument sim(o);
    CountingBackend counted(sim);
    const Figures a = measure(counted, 10, [&] { return counted.accesses; });

    FixedBytesBackend fixed;
    const Figures b = measure(fixed, 50, [&] { return fixed.accesses; });
    const Figures c = measure(fixed, 50, [&] { return fixed.accesses; }, true);
    fixed.conversionHigh = 0x1F;
    const Figures d = measure(fixed, 50, [&] { return fixed.accesses; }, true);

    std::printf("acquisition tick of %.0f ms\n", RunControl::kTickSeconds * 1000);
    std::printf("(a) simulator, unpaced:             %8.0f passes/tick  %7.1f ns/pass  %5.1f port "
                "accesses/pass\n",
                a.passesPerTick, a.nsPerPass, a.accessesPerPass);
    std::printf("(b) fixed bytes, 1 us/access timer: %8.0f passes/tick  %7.1f ns/pass  %5.1f port "
                "accesses/pass\n",
                b.passesPerTick, b.nsPerPass, b.accessesPerPass);
    std::printf("(c) (b) with the cell current read: %8.0f passes/tick  %7.1f ns/pass  %5.1f port "
                "accesses/pass\n",
                c.passesPerTick, c.nsPerPass, c.accessesPerPass);
    std::printf("(d) (c), conversion never ends:     %8.0f passes/tick  %7.1f ns/pass  %5.1f port "
                "accesses/pass\n",
                d.passesPerTick, d.nsPerPass, d.accessesPerPass);
    bool met = true;
    for (const auto& [name, f] : {std::pair{"(b)", b}, std::pair{"(c)", c}}) {
        const double legacyNs = f.accessesPerPass * kLegacyAccessNs;
        const double share = 100.0 * f.nsPerPass / (legacyNs + f.nsPerPass);
        std::printf("%s legacy port: %.1f us of port accesses per pass; program's own %.1f ns per "
                    "pass (backend calls included) = %.2f %% of a pass (target below 5 %%)\n",
                    name, legacyNs / 1000, f.nsPerPass, share);
        met = met && share < 5.0;
    }
    if (!met) std::printf("TARGET MISSED: the program's own work is 5 %% of a pass or more\n");
    return 0;
}
