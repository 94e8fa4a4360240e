#include "analysis/SampleList.h"

#include "core/Decimal.h"

namespace varentis {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The reason the item cannot be read, or empty when `sample` holds it.
std::string readItem(std::string_view item, Sample& sample) {
    if (item.empty()) return "empty item";
    std::string_view rest = item;
    const std::size_t star = rest.find('*');
    if (star != std::string_view::npos) {
        const std::string_view count = trimmed(rest.substr(star + 1));
        rest = rest.substr(0, star);
        if (count.find('*') != std::string_view::npos) return "more than one '*'";
        if (count.empty()) return "no replicate count after '*'";
        // Whole digits only: "2.0" or "1e1" replicates is not what anyone types on purpose.
        long value = 0;
        for (const char c : count) {
            if (c < '0' || c > '9') return "replicates must be a whole number";
            value = value * 10 + (c - '0');
            if (value > kMaxReplicates) return "more than 1000 replicates";
        }
        if (value < 1) return "replicates must be at least 1";
        sample.Replicates = static_cast<int>(value);
    }
    const std::size_t equals = rest.find('=');
    if (equals != std::string_view::npos) {
        const std::string_view number = trimmed(rest.substr(equals + 1));
        rest = rest.substr(0, equals);
        if (number.find('=') != std::string_view::npos) return "more than one '='";
        if (number.empty()) return "no concentration after '='";
        const DecimalText read = readDecimal(number);
        if (!read.Valid) return "concentration is not a number";
        if (read.Number.Digits < 0) return "negative concentration";
        sample.Concentration = read.Value == 0.0 ? 0.0 : read.Value; // no -0
    }
    const std::string_view name = trimmed(rest);
    if (name.empty()) return "no sample name";
    sample.Name = std::string(name);
    return {};
}

} // namespace

SampleList parseSampleList(std::string_view text) {
    SampleList list;
    if (trimmed(text).empty()) return list;
    std::size_t start = 0;
    for (int number = 1;; ++number) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
        const std::string_view raw = text.substr(start, end - start);
        const std::string_view item = trimmed(raw);
        Sample sample;
        std::string reason = readItem(item, sample);
        // A comma closing the list is harmless.
        const bool trailing =
            comma == std::string_view::npos && number > 1 && trimmed(text.substr(start)).empty();
        if (reason.empty())
            list.Samples.push_back(std::move(sample));
        else if (!trailing)
            list.Problems.push_back(
                {number,
                 item.empty() ? start : start + static_cast<std::size_t>(item.data() - raw.data()),
                 std::move(reason)});
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return list;
}

std::optional<std::size_t> sampleOfCycle(const SampleList& list, int cycle) {
    if (cycle < 1) return std::nullopt;
    long remaining = cycle;
    for (std::size_t i = 0; i < list.Samples.size(); ++i) {
        if (remaining <= list.Samples[i].Replicates) return i;
        remaining -= list.Samples[i].Replicates;
    }
    return std::nullopt;
}

} // namespace varentis
