#pragma once

#include <string_view>
#include <type_traits>

namespace varentis {

// Calls f(line) for every line of `text`; a line ends at CR, LF or CRLF. A final line
// without an ending counts, an empty remainder after the last ending does not. When f
// returns bool, false stops the walk.
template <class F> void forEachLine(std::string_view text, F&& f) {
    auto call = [&f](std::string_view line) {
        if constexpr (std::is_same_v<std::invoke_result_t<F&, std::string_view>, bool>)
            return f(line);
        else
            return (f(line), true);
    };
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            call(text.substr(start));
            return;
        }
        if (!call(text.substr(start, end - start))) return;
        start = end + 1;
        if (text[end] == '\r' && start < n && text[start] == '\n') ++start;
    }
}

// Blanks (spaces and tabs) removed from both ends.
inline std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

} // namespace varentis
