#pragma once

#include <QString>

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varentis {

// A place between two characters: a line and a column in UTF-16 units of that line.
struct TextPosition {
    int line = 0;
    int column = 0;
    friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

// The text of a TextMemo: one UTF-8 buffer with the byte offset where each line starts, so
// that a line is found in constant time and an edit renews only the index after it. Lines
// end at "\n"; there is always at least one line.
class TextLines {
  public:
    using Position = TextPosition;

    // Replaces the text; line ends CR and CRLF become LF.
    void assign(std::string_view utf8);
    const std::string& utf8() const { return text_; }
    int lineCount() const { return static_cast<int>(starts_.size()); }
    QString line(int index) const;
    // The bytes of a line, without its "\n".
    std::size_t lineBytes(int index) const { return lineEnd(index) - lineBegin(index); }
    // The text between two positions in either order.
    QString between(Position a, Position b) const;

    Position clamp(Position at) const;
    Position endPosition() const;
    // Replaces the text between two positions; returns the position after the new text.
    Position replace(Position from, Position to, std::string_view utf8);
    // The caret's next place: a character (a surrogate pair as one) or a line end onwards.
    Position nextPosition(Position at, int direction) const;
    // Over the blanks first, then over the word, as editors move by words.
    Position wordEdge(Position at, int direction) const;
    // The word around `at`, as the columns where it begins and ends.
    std::pair<int, int> wordAround(Position at) const;

  private:
    std::size_t lineBegin(int line) const;
    std::size_t lineEnd(int line) const; // before its "\n"
    std::size_t byteOffset(Position at) const;
    void indexLines();

    std::string text_;
    std::vector<std::size_t> starts_{0}; // byte offset of every line's first character
};

} // namespace varentis
