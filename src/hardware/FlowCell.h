#pragma once

#include <cstdint>
#include <vector>

namespace varentis {

// The chemistry in front of the simulated PMT: a steady glow of the cell, and a
// luminescence peak for every sample plug that the pump carries from valve V1 to the
// detector. Light is expressed as the anode current it gives at the reference voltage.
struct FlowCellParameters {
    double darkCurrent = 2e-9;       // A, the tube's own current
    double background = 16e-9;       // A, steady glow of the cell
    double peakHeight = 60e-9;       // A, top of one injection's peak
    double riseSeconds = 0.3;        // quick rise ...
    double decaySeconds = 3.0;       // ... and an exponential tail
    double transportVolume = 2.0;    // tube from V1 to the cell, in seconds of full-speed flow
    std::size_t maxPlugs = 64;       // plugs in the tube at once; more injections are ignored
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
    double lastSeconds_ = 0.0;
    std::vector<double> plugs_; // position along the tube, 0 .. transportVolume
    std::vector<double> peaks_; // arrival times at the detector
};

} // namespace varentis
