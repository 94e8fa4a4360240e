#include "documents/EvaluationSection.h"

#include <iterator>

namespace varentis {

namespace {

constexpr int kKeyCount = static_cast<int>(std::size(kEvaluationKeys));
constexpr int kMeasureKey = 1;
constexpr std::string_view kSection = "Evaluation";

// A field's text on one line: a line break typed or pasted into a field would end the line.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

} // namespace

EvaluationSettings evaluationFromControls(const ControlAccess& controls) {
    EvaluationSettings s;
    for (int k = 0; k < kKeyCount; ++k) {
        const std::string_view control = kEvaluationControls[k];
        evaluationField(s, k) =
            k == kMeasureKey ? controls.itemText(control) : controls.text(control);
    }
    // The measure box always shows one of its items; its first is the default.
    if (s.Measure == "Height") s.Measure.clear();
    return s;
}

void evaluationToControls(ControlAccess& controls, const EvaluationSettings& s) {
    for (int k = 0; k < kKeyCount; ++k) {
        const std::string& value = evaluationField(s, k);
        if (k == kMeasureKey)
            controls.selectItemByText(kEvaluationControls[k], value.empty() ? "Height" : value);
        else
            controls.setText(kEvaluationControls[k], value);
    }
}

void storeEvaluation(ProfileStore& store, const EvaluationSettings& s) {
    if (s.empty()) {
        store.eraseSection(kSection);
        return;
    }
    for (int k = 0; k < kKeyCount; ++k)
        store.writeString(kSection, kEvaluationKeys[k], oneLine(evaluationField(s, k)));
}

void loadEvaluation(const ProfileStore& store, ControlAccess& controls) {
    if (!store.hasSection(kSection)) return;
    EvaluationSettings s;
    for (int k = 0; k < kKeyCount; ++k)
        evaluationField(s, k) = store.readString(kSection, kEvaluationKeys[k], "");
    evaluationToControls(controls, s);
}

void appendEvaluationSection(std::string& out, const EvaluationSettings& s) {
    if (s.empty()) return;
    out.append(kEvaluationHeader);
    out.append("\r\n");
    for (int k = 0; k < kKeyCount; ++k) {
        const std::string& value = evaluationField(s, k);
        if (value.empty()) continue;
        out.append(kEvaluationKeys[k]);
        out += '=';
        out.append(oneLine(value));
        out.append("\r\n");
    }
}

bool takeEvaluationSection(std::vector<std::string_view>& lines, EvaluationSettings& s) {
    std::size_t header = lines.size();
    for (std::size_t i = lines.size(); i-- > 0;)
        if (lines[i] == kEvaluationHeader) {
            header = i;
            break;
        }
    if (header == lines.size()) return false;
    EvaluationSettings found;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        int key = -1;
        for (int k = 0; k < kKeyCount && key < 0; ++k) {
            const std::string_view name = kEvaluationKeys[k];
            if (line.size() > name.size() && line.starts_with(name) && line[name.size()] == '=')
                key = k;
        }
        if (key < 0) return false;
        evaluationField(found, key) =
            std::string(line.substr(std::string_view(kEvaluationKeys[key]).size() + 1));
    }
    s = found;
    lines.resize(header);
    return true;
}

} // namespace varentis
