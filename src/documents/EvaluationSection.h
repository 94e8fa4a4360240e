#pragma once

#include "analysis/EvaluationSettings.h"
#include "documents/ControlAccess.h"
#include "documents/ProfileStore.h"

#include <string>
#include <string_view>
#include <vector>

// Where the evaluation settings are kept: in the Results window's fields, in the settings
// file's "[Evaluation]" section, and with a measurement in its data file.
namespace varentis {

// The Results window's fields, in the order of kEvaluationKeys.
inline constexpr std::string_view kEvaluationControls[] = {
    "TResults.SamplesEdit",     "TResults.MeasureBox",    "TResults.BaselineStartEdit",
    "TResults.BaselineEndEdit", "TResults.PeakStartEdit", "TResults.PeakEndEdit",
    "TResults.SmoothingEdit"};

EvaluationSettings evaluationFromControls(const ControlAccess& controls);
void evaluationToControls(ControlAccess& controls, const EvaluationSettings& settings);

// The settings file: a section only while something is set, so a user who never evaluates
// keeps the file as it was. Reading a file without the section leaves the fields alone.
void storeEvaluation(ProfileStore& store, const EvaluationSettings& settings);
void loadEvaluation(const ProfileStore& store, ControlAccess& controls);

// The data file: "[Evaluation]" and one "Key=Value" line per setting that is set, after the
// description and before "[Data]"; nothing at all when none is set. A reader that knows
// only the four sections takes these lines as the description's last lines, and loses
// nothing.
void appendEvaluationSection(std::string& out, const EvaluationSettings& settings);

// Takes the section off the end of the description lines as the data file reader found
// them: a line "[Evaluation]" followed only by lines of its keys up to "[Data]". Anything
// else stays description (a file whose description happened to hold such a line).
bool takeEvaluationSection(std::vector<std::string_view>& infoLines, EvaluationSettings& settings);

inline constexpr std::string_view kEvaluationHeader = "[Evaluation]";

} // namespace varentis
