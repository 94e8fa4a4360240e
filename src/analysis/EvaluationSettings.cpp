#include "analysis/EvaluationSettings.h"

#include "core/NumberText.h"

#include <algorithm>
#include <cmath>

namespace varentis {

bool EvaluationSettings::empty() const {
    for (int k = 0; k < static_cast<int>(std::size(kEvaluationKeys)); ++k)
        if (!evaluationField(*this, k).empty()) return false;
    return true;
}

std::string& evaluationField(EvaluationSettings& s, int key) {
    switch (key) {
    case 0: return s.Samples;
    case 1: return s.Measure;
    case 2: return s.BaselineStart;
    case 3: return s.BaselineEnd;
    case 4: return s.PeakStart;
    case 5: return s.PeakEnd;
    default: return s.Smoothing;
    }
}

const std::string& evaluationField(const EvaluationSettings& s, int key) {
    return evaluationField(const_cast<EvaluationSettings&>(s), key);
}

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A window edge in s of the cycle; the default stays when the field is empty or unreadable.
void readSeconds(const EvaluationSettings& s, int key, double& value, EvaluationSetup& setup) {
    const std::string typed = trimmed(evaluationField(s, key));
    if (typed.empty()) return;
    bool valid = false;
    const double v = readNumber(typed, &valid);
    if (valid && v >= 0.0) {
        value = v;
        return;
    }
    setup.Notes.push_back(
        {key, "\"" + typed + "\" is not a time in the cycle; " + text(value, 3) + " s is used"});
}

} // namespace

EvaluationSetup resolveEvaluation(const EvaluationSettings& s, double cycleTime,
                                  const std::vector<double>& switchTimes) {
    EvaluationSetup setup;
    setup.Samples = parseSampleList(s.Samples);
    setup.Windows = EvaluationWindows::forCycle(cycleTime, switchTimes);

    const std::string measure = trimmed(s.Measure);
    if (measure == "Area")
        setup.Measure = ResultMeasure::Area;
    else if (!measure.empty() && measure != "Height")
        setup.Notes.push_back(
            {1, "\"" + measure + "\" is neither Height nor Area; Height is used"});

    // An empty baseline end follows a typed peak start no more than the other way round:
    // each edge has its own default.
    readSeconds(s, 2, setup.Windows.BaselineStart, setup);
    readSeconds(s, 3, setup.Windows.BaselineEnd, setup);
    readSeconds(s, 4, setup.Windows.PeakStart, setup);
    readSeconds(s, 5, setup.Windows.PeakEnd, setup);

    const std::string smoothing = trimmed(s.Smoothing);
    if (!smoothing.empty()) {
        bool valid = false;
        const double v = readNumber(smoothing, &valid);
        if (valid && v >= 1.0 && v <= 100000.0 && v == std::floor(v))
            setup.Windows.SmoothingPoints = static_cast<int>(v);
        else
            setup.Notes.push_back({6, "\"" + smoothing + "\" is not a number of points; " +
                                          std::to_string(setup.Windows.SmoothingPoints) +
                                          " are used"});
    }
    return setup;
}

} // namespace varentis
