#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varentis {

// An initialisation file held in memory: "[Section]" lines and "key=value" entries.
// Section and key names match without regard to (ASCII) case and surrounding blanks;
// values are trimmed. Writing an existing key replaces its line in place, a new key is
// appended to its section, a new section to the file. Lines the store does not understand
// are kept as they are, so a rewrite loses nothing.
class ProfileStore {
public:
    // Reads file bytes (UTF-8 or Windows-1252; CR, LF or CRLF line ends).
    static ProfileStore parse(std::string_view fileBytes);
    // The file bytes: CRLF after every line, Windows-1252 when every character fits.
    std::string serialize() const;

    bool hasSection(std::string_view section) const;
    std::optional<std::string> readString(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Decimal, or hexadecimal after "0x"; missing or malformed values give `fallback`.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    // An integer, non-zero is true.
    bool readFlag(std::string_view section, std::string_view key, bool fallback) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeFlag(std::string_view section, std::string_view key, bool value);
    void eraseSection(std::string_view section);

    // A section used as a list of text lines, each stored as an entry "line=". Unlike keyed
    // entries, repeated lines are kept, in order, and so are blanks inside a line. Empty
    // lines are not stored. Writing replaces the section's body where it stands.
    std::vector<std::string> readLines(std::string_view section) const;
    void writeLines(std::string_view section, const std::vector<std::string>& lines);

    // Reads an integer the way readInteger does; nullopt when malformed.
    static std::optional<int> parseInteger(std::string_view text);

private:
    struct Section {
        std::string header; // the header line as read or written
        std::vector<std::string> lines;
        std::unordered_map<std::string, std::size_t> keys; // folded key -> line, first wins
    };

    const Section* find(std::string_view section) const;
    Section& findOrAppend(std::string_view section);
    void reindexSections();
    static void indexLine(Section& s, std::size_t line);

    std::vector<std::string> preamble_; // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_; // folded name -> first
};

} // namespace varentis
