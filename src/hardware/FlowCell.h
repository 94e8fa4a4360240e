#pragma once

#include <cstdint>
#include <vector>

namespace varentis {

// The chemistry in front of the simulated PMT: a steady glow of the cell, and a
// luminescence peak for every sample plug that the pump carries from valve V1 to the
// detector, which the plug gives only while the working electrode oxidises it. Light is
// expressed as the anode current it gives at the reference voltage. The electrode draws a
// current that rises steeply with its potential either side of equilibrium.
struct FlowCellParameters {
    double darkCurrent = 2e-9;       // A, the tube's own current
    double background = 16e-9;       // A, steady glow of the cell
    double peakHeight = 60e-9;       // A, top of one injection's peak
    double riseSeconds = 0.3;        // quick rise ...
    double decaySeconds = 3.0;       // ... and an exponential tail
    double transportVolume = 2.0;    // tube from V1 to the cell, in seconds of full-speed flow
    std::size_t maxPlugs = 64;       // plugs in the tube at once; more injections are ignored
    double exchangeCurrent = 10e-12;  // A, each way at the equilibrium potential
    double equilibriumPotential = 0.0; // V
    double anodicSlope = 0.12;         // V per e-fold of the oxidation current
    double cathodicSlope = 0.12;       // V per e-fold of the reduction current
    double emissionMidpoint = 0.9;     // V at which a plug gives half its light
    double emissionWidth = 0.04;       // V; a tenth to nine tenths of the light over 0.18 V
};

class FlowCell {
public:
    explicit FlowCell(const FlowCellParameters& parameters = {});

    // The pump's registers changed at `seconds`: speed 0..255, direction 0 stop, 1 forward,
    // 3 reverse (anything else stops). Flow scales with the speed.
    void setPump(double seconds, std::uint8_t speed, std::uint8_t direction);
    // Valve V1 opened at `seconds`: a sample plug enters the tube.
    void inject(double seconds);
    // Light at `seconds` (dark current included), as anode current at the reference voltage.
    // Time must not run backwards between calls.
    double light(double seconds);

    // The potentiostat switched the cell on or off, or moved its working electrode to `volts`.
    void setElectrode(bool on, double volts);
    // Current through the cell with the electrode at `volts` (A, positive when oxidising).
    double cellCurrent(double volts) const;
    // Share of a plug's light that the electrode draws from it at `volts`: next to nothing
    // below +0.8 V, nearly all above +1 V.
    double emission(double volts) const;

    // Seconds from injection to arrival at the constant pump speed, or a negative value
    // when nothing flows toward the detector.
    double transportDelay(std::uint8_t speed, std::uint8_t direction) const;

    const FlowCellParameters& parameters() const { return p_; }

private:
    void flowUntil(double seconds);
    double flowRate(std::uint8_t speed, std::uint8_t direction) const;

    FlowCellParameters p_;
    double shapeNorm_;
    double rate_ = 0.0; // tube volumes (in seconds of full-speed flow) per second
    double emission_ = 0.0; // share of the plugs' light, 0 while the cell is off
    double lastSeconds_ = 0.0;
    std::vector<double> plugs_; // position along the tube, 0 .. transportVolume
    std::vector<double> peaks_; // arrival times at the detector
};

} // namespace varentis
