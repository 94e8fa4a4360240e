#pragma once

#include "hardware/PortBackend.h"
#include "hardware/SimulatedInstrument.h"
#include "hardware/TDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace varentis::test {

inline SimOptions testSimOptions() {
    SimOptions o;
    o.clock = SimClockMode::Virtual;
    o.seed = 7;
    o.recordLimit = 100000;
    return o;
}

// A neutral detector calibration: maximum 1000 V, voltage factor 1, every current factor 1.
inline void calibrateNeutrally(TDevice& dev) {
    dev.SetPMTMaxVoltage(1000);
    dev.SetPMTVoltageFactor(1.0);
    dev.SetCurrentTexts(dev.CurrentZeroText(), {"1", "1", "1", "1", "1", "1"});
    dev.PMTCalculateCFactors();
}

// A driver on its own simulated instrument with a virtual clock.
class SimFixture : public ::testing::Test {
protected:
    explicit SimFixture(const SimOptions& options = testSimOptions()) : sim(options) {}

    std::vector<RegisterWrite> writes() const { return sim.registerWrites(); }

    SimulatedInstrument sim;
    TDevice dev{sim};
};

} // namespace varentis::test
