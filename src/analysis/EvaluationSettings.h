#pragma once

#include "analysis/PeakEvaluation.h"
#include "analysis/SampleList.h"

#include <string>
#include <vector>

// What the operator sets for the evaluation of a run, kept as typed: the settings file and a
// data file store these texts, and the Results window shows them back unchanged.
namespace varentis {

enum class ResultMeasure { Height, Area };

struct EvaluationSettings {
    std::string Samples;       // the sample list, e.g. "Blank=0*3, S1=1*3, River A*3"
    std::string Measure;       // "Height" or "Area"; empty = "Height"
    std::string BaselineStart; // s of the cycle; empty = the default window
    std::string BaselineEnd;
    std::string PeakStart;
    std::string PeakEnd;
    std::string Smoothing; // points of the running mean; empty = the default

    // Nothing set: a data file then gets no evaluation section.
    bool empty() const;
    bool operator==(const EvaluationSettings&) const = default;
};

// The keys of the settings' lines, in the order they are written.
inline constexpr const char* kEvaluationSection = "[Evaluation]";
inline constexpr const char* kEvaluationKeys[] = {
    "Samples", "Measure", "Baseline start", "Baseline end", "Peak start", "Peak end", "Smoothing"};
std::string& evaluationField(EvaluationSettings& settings, int key);
const std::string& evaluationField(const EvaluationSettings& settings, int key);

// A setting that could not be used as typed, and what was used instead.
struct EvaluationNote {
    int Key = 0; // index in kEvaluationKeys
    std::string Message;
};

struct EvaluationSetup {
    SampleList Samples;
    ResultMeasure Measure = ResultMeasure::Height;
    EvaluationWindows Windows;
    std::vector<EvaluationNote> Notes;
};

// The settings read for a run of the given cycle time and valve program switch times: an
// empty field takes its default, a field that cannot be read takes its default and a note.
EvaluationSetup resolveEvaluation(const EvaluationSettings& settings, double cycleTime,
                                  const std::vector<double>& switchTimes);

} // namespace varentis
