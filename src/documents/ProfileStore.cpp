#include "documents/ProfileStore.h"

#include "documents/TextEncoding.h"
#include "documents/TextLines.h"

#include <charconv>
#include <cstdint>

namespace varentis {

namespace {

std::string fold(std::string_view s) {
    s = trimBlanks(s);
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The name of a section header line, or nullopt for any other line.
std::optional<std::string_view> headerName(std::string_view line) {
    line = trimBlanks(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return trimBlanks(line.substr(1, line.size() - 2));
}

std::optional<std::string_view> lineKey(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(0, eq));
}

} // namespace

std::optional<int> ProfileStore::parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view digits = text.substr(2);
        if (digits.size() > 8) return std::nullopt;
        std::uint32_t v = 0;
        auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || p != digits.data() + digits.size()) return std::nullopt;
        return static_cast<int>(v); // 0xFFFFFFFF is -1, as a 32-bit register would hold it
    }
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

void ProfileStore::indexLine(Section& s, std::size_t line) {
    if (auto key = lineKey(s.lines[line]); key && !key->empty())
        s.keys.try_emplace(fold(*key), line);
}

void ProfileStore::reindexSections() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        auto name = headerName(sections_[i].header);
        sectionIndex_.try_emplace(fold(name ? *name : std::string_view{}), i);
    }
}

ProfileStore ProfileStore::parse(std::string_view fileBytes) {
    ProfileStore store;
    std::string text = decodeFileText(fileBytes);
    forEachLine(text, [&](std::string_view line) {
        if (auto name = headerName(line)) {
            Section s;
            s.header = std::string(line);
            store.sections_.push_back(std::move(s));
            store.sectionIndex_.try_emplace(fold(*name), store.sections_.size() - 1);
            return;
        }
        if (store.sections_.empty()) {
            store.preamble_.emplace_back(line);
            return;
        }
        Section& s = store.sections_.back();
        s.lines.emplace_back(line);
        indexLine(s, s.lines.size() - 1);
    });
    return store;
}

std::string ProfileStore::serialize() const {
    std::string text;
    auto put = [&](const std::string& line) {
        text += line;
        text += "\r\n";
    };
    for (const auto& line : preamble_) put(line);
    for (const auto& s : sections_) {
        put(s.header);
        for (const auto& line : s.lines) put(line);
    }
    return encodeFileText(text);
}

const ProfileStore::Section* ProfileStore::find(std::string_view section) const {
    auto it = sectionIndex_.find(fold(section));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

ProfileStore::Section& ProfileStore::findOrAppend(std::string_view section) {
    auto it = sectionIndex_.find(fold(section));
    if (it != sectionIndex_.end()) return sections_[it->second];
    Section s;
    s.header = "[" + std::string(trimBlanks(section)) + "]";
    sections_.push_back(std::move(s));
    sectionIndex_.emplace(fold(section), sections_.size() - 1);
    return sections_.back();
}

bool ProfileStore::hasSection(std::string_view section) const { return find(section) != nullptr; }

std::optional<std::string> ProfileStore::readString(std::string_view section,
                                                    std::string_view key) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    auto it = s->keys.find(fold(key));
    if (it == s->keys.end()) return std::nullopt;
    const std::string& line = s->lines[it->second];
    return std::string(trimBlanks(std::string_view(line).substr(line.find('=') + 1)));
}

std::string ProfileStore::readString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
    auto v = readString(section, key);
    return v ? *v : std::string(fallback);
}

int ProfileStore::readInteger(std::string_view section, std::string_view key,
                              int fallback) const {
    auto v = readString(section, key);
    if (!v) return fallback;
    return parseInteger(*v).value_or(fallback);
}

bool ProfileStore::readFlag(std::string_view section, std::string_view key,
                            bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void ProfileStore::writeString(std::string_view section, std::string_view key,
                               std::string_view value) {
    Section& s = findOrAppend(section);
    std::string line = std::string(trimBlanks(key)) + "=" + std::string(value);
    auto it = s.keys.find(fold(key));
    if (it != s.keys.end()) {
        s.lines[it->second] = std::move(line);
        return;
    }
    // Appended after the last entry, so blank lines that separate sections stay between them.
    std::size_t at = s.lines.size();
    while (at > 0 && trimBlanks(s.lines[at - 1]).empty()) --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    if (at + 1 != s.lines.size()) {
        s.keys.clear();
        for (std::size_t i = 0; i < s.lines.size(); ++i) indexLine(s, i);
    } else {
        indexLine(s, at);
    }
}

void ProfileStore::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void ProfileStore::writeFlag(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void ProfileStore::eraseSection(std::string_view section) {
    std::string name = fold(section);
    std::erase_if(sections_, [&](const Section& s) {
        auto n = headerName(s.header);
        return n && fold(*n) == name;
    });
    reindexSections();
}

std::vector<std::string> ProfileStore::readLines(std::string_view section) const {
    std::vector<std::string> out;
    const Section* s = find(section);
    if (!s) return out;
    for (const auto& raw : s->lines) {
        if (trimBlanks(raw).empty()) continue;
        std::string_view line = raw;
        if (line.back() == '=') line.remove_suffix(1);
        out.emplace_back(line);
    }
    return out;
}

void ProfileStore::writeLines(std::string_view section, const std::vector<std::string>& lines) {
    // Rewritten where it stands, so that a file read and written again keeps its layout;
    // any later section of the same name goes.
    const std::string name = fold(section);
    bool first = true;
    std::erase_if(sections_, [&](const Section& s) {
        auto n = headerName(s.header);
        if (!n || fold(*n) != name) return false;
        if (first) return first = false;
        return true;
    });
    reindexSections();
    Section& s = findOrAppend(section);
    s.lines.clear();
    s.keys.clear();
    for (const auto& line : lines)
        if (!line.empty()) s.lines.push_back(line + "=");
}

} // namespace varentis
