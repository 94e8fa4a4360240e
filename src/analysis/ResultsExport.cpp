#include "analysis/ResultsExport.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace varentis {

namespace {

// Shortest text that reads back as the double rounded to `digits` significant digits: a
// spreadsheet shows 12.3456, not 12.345600000000001.
std::string number(double v, int digits = 10) {
    if (!std::isfinite(v)) return {};
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    if (ec != std::errc()) return {};
    std::string s(buf, end);
    // to_chars with a precision keeps no trailing zeros but may write "1e-05"; both read back.
    if (s == "-0") s = "0";
    return s;
}

std::string optionalNumber(const std::optional<double>& v, int digits = 10) {
    return v ? number(*v, digits) : std::string{};
}

// A CSV field: quoted when it holds a comma, a quote or a line break (RFC 4180).
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(const std::optional<double>& v) {
    const std::string s = optionalNumber(v);
    return s.empty() ? "null" : s;
}

std::string jsonFigure(const Figure& f) { return jsonNumber(f.Value); }

} // namespace

std::string measureUnit(ResultMeasure measure, const SignalUnit& unit) {
    return measure == ResultMeasure::Area ? unit.Name + "*s" : unit.Name;
}

std::string resultsCsv(const ResultsTracker& results, const SignalUnit& unit) {
    std::string out = kResultsCsvHeader;
    out += "\r\n";
    const auto& samples = results.setup().Samples.Samples;
    const double f = unit.Factor > 0.0 ? unit.Factor : 1.0;
    for (const InjectionRow& row : results.rows()) {
        const InjectionResult& r = row.Result;
        const Sample* sample = row.Sample ? &samples[*row.Sample] : nullptr;
        const bool peak = r.PeakPoints > 0;
        out += std::to_string(row.Cycle.Cycle + 1) + ',';
        out += number(row.Cycle.StartTime) + ',';
        out += csvField(sample ? sample->Name : std::string{}) + ',';
        out += (sample ? optionalNumber(sample->Concentration) : std::string{}) + ',';
        out += (r.NoBaseline ? std::string{} : number((r.Baseline - unit.Zero) / f, 7)) + ',';
        out += (peak ? number(r.Height / f, 7) : std::string{}) + ',';
        out += (peak ? number(r.Area / f, 7) : std::string{}) + ',';
        out += (peak ? number(r.PeakTime, 7) : std::string{}) + ',';
        out += (peak && r.Width > 0.0 ? number(r.Width, 7) : std::string{}) + ',';
        out += csvField(flagText(r)) + ',';
        out += csvField(unit.Name) + "\r\n";
    }
    return out;
}

std::string resultsSummaryJson(const ResultsTracker& results, const SignalUnit& unit) {
    const EvaluationSetup& setup = results.setup();
    const Calibration cal = results.calibration();
    const double f = unit.Factor > 0.0 ? unit.Factor : 1.0;
    auto scaled = [&](const Figure& fig) {
        return jsonNumber(fig.Value ? std::optional<double>(*fig.Value / f) : std::nullopt);
    };
    std::string out = "{\n  \"measure\": ";
    out += setup.Measure == ResultMeasure::Area ? "\"area\"" : "\"height\"";
    out += ",\n  \"unit\": " + jsonString(measureUnit(setup.Measure, unit));
    out += ",\n  \"samples\": [";
    for (std::size_t i = 0; i < setup.Samples.Samples.size(); ++i) {
        const Sample& s = setup.Samples.Samples[i];
        const SampleResult& r = cal.Samples[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"sample\": " + jsonString(s.Name);
        out += ", \"n\": " + std::to_string(r.Stats.N);
        out += ", \"concentration\": " + jsonNumber(s.Concentration);
        out += ", \"mean\": " + scaled(r.Stats.Mean);
        out += ", \"sd\": " + scaled(r.Stats.Sd);
        out += ", \"rsd_pct\": " + jsonFigure(r.Stats.RsdPercent);
        out += ", \"found_concentration\": " + jsonFigure(r.Found);
        out += ", \"found_sd\": " + jsonFigure(r.FoundSd) + "}";
    }
    out += setup.Samples.Samples.empty() ? "]" : "\n  ]";
    out += ",\n  \"calibration\": {";
    const auto& line = cal.Line;
    // The line is measure against concentration, so its slope and intercept are in the
    // measure's unit (per concentration unit for the slope).
    out += "\"slope\": " + (line ? jsonNumber(line->Slope / f) : std::string("null"));
    out += ", \"intercept\": " + (line ? jsonNumber(line->Intercept / f) : std::string("null"));
    out += ", \"r2\": " + (line ? jsonFigure(line->RSquared) : std::string("null"));
    out += ", \"lod\": " + jsonFigure(cal.Lod);
    out += ", \"loq\": " + jsonFigure(cal.Loq);
    out += ", \"levels\": " + (line ? std::to_string(line->Levels) : std::string("null"));
    out += "}\n}\n";
    return out;
}

} // namespace varentis
