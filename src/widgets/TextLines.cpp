#include "widgets/TextLines.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace varentis {

namespace {

QString fromUtf8(const std::string& text, std::size_t begin, std::size_t end) {
    return QString::fromUtf8(text.data() + begin, static_cast<qsizetype>(end - begin));
}

// Line ends CRLF and CR become LF.
std::string withLfEndings(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c != '\r') {
            out += c;
            continue;
        }
        out += '\n';
        if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
            ++i;
    }
    return out;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

} // namespace

std::size_t TextLines::lineBegin(int line) const {
    return starts_[static_cast<std::size_t>(line)];
}

std::size_t TextLines::lineEnd(int line) const {
    const auto next = static_cast<std::size_t>(line) + 1;
    return next < starts_.size() ? starts_[next] - 1 : text_.size();
}

QString TextLines::line(int index) const {
    if (index < 0 || index >= lineCount())
        return {};
    return fromUtf8(text_, lineBegin(index), lineEnd(index));
}

void TextLines::indexLines() {
    starts_.clear();
    starts_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')) + 1);
    starts_.push_back(0);
    const char* begin = text_.data();
    const char* end = begin + text_.size();
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));)
        starts_.push_back(static_cast<std::size_t>(++p - begin));
}

void TextLines::assign(std::string_view utf8) {
    if (utf8.find('\r') != std::string_view::npos)
        text_ = withLfEndings(utf8);
    else
        text_.assign(utf8);
    indexLines();
}

QString TextLines::between(Position a, Position b) const {
    const std::size_t x = byteOffset(a);
    const std::size_t y = byteOffset(b);
    return fromUtf8(text_, std::min(x, y), std::max(x, y));
}

TextLines::Position TextLines::clamp(Position at) const {
    at.line = std::clamp(at.line, 0, lineCount() - 1);
    at.column = std::clamp(at.column, 0, static_cast<int>(line(at.line).size()));
    return at;
}

TextLines::Position TextLines::endPosition() const {
    const int last = lineCount() - 1;
    return {last, static_cast<int>(line(last).size())};
}

std::size_t TextLines::byteOffset(Position at) const {
    at = clamp(at);
    return lineBegin(at.line) +
           static_cast<std::size_t>(line(at.line).left(at.column).toUtf8().size());
}

TextLines::Position TextLines::replace(Position from, Position to, std::string_view utf8) {
    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    const std::string inserted =
        utf8.find('\r') != std::string_view::npos ? withLfEndings(utf8) : std::string(utf8);
    const std::size_t b0 = byteOffset(from);
    const std::size_t b1 = byteOffset(to);
    text_.replace(b0, b1 - b0, inserted);

    // The line index: the starts inside the replaced range go, those of the new text come,
    // and every later start moves by the change in length.
    std::vector<std::size_t> added;
    for (std::size_t k = 0; k < inserted.size(); ++k)
        if (inserted[k] == '\n')
            added.push_back(b0 + k + 1);
    auto first = starts_.begin() + from.line + 1;
    auto last = starts_.begin() + to.line + 1;
    auto it = starts_.erase(first, last);
    it = starts_.insert(it, added.begin(), added.end()) + static_cast<std::ptrdiff_t>(added.size());
    const std::size_t removed = b1 - b0;
    for (; it != starts_.end(); ++it)
        *it = *it - removed + inserted.size();

    Position after;
    after.line = from.line + static_cast<int>(added.size());
    after.column =
        static_cast<int>(fromUtf8(text_, lineBegin(after.line), b0 + inserted.size()).size());
    return after;
}

TextLines::Position TextLines::nextPosition(Position at, int direction) const {
    const QString text = line(at.line);
    if (direction < 0) {
        if (at.column == 0)
            return at.line > 0 ? Position{at.line - 1, static_cast<int>(line(at.line - 1).size())}
                               : at;
        --at.column;
        if (at.column > 0 && text[at.column].isLowSurrogate())
            --at.column;
        return at;
    }
    if (at.column >= text.size())
        return at.line + 1 < lineCount() ? Position{at.line + 1, 0} : at;
    ++at.column;
    if (at.column < text.size() && text[at.column].isLowSurrogate())
        ++at.column;
    return at;
}

TextLines::Position TextLines::wordEdge(Position at, int direction) const {
    const QString text = line(at.line);
    if (direction < 0) {
        if (at.column == 0)
            return nextPosition(at, -1);
        int c = at.column;
        while (c > 0 && !isWordChar(text[c - 1]))
            --c;
        while (c > 0 && isWordChar(text[c - 1]))
            --c;
        return {at.line, c};
    }
    if (at.column >= text.size())
        return nextPosition(at, 1);
    int c = at.column;
    while (c < text.size() && isWordChar(text[c]))
        ++c;
    while (c < text.size() && !isWordChar(text[c]))
        ++c;
    return {at.line, c};
}

std::pair<int, int> TextLines::wordAround(Position at) const {
    const QString text = line(at.line);
    int a = at.column, b = at.column;
    while (a > 0 && isWordChar(text[a - 1]))
        --a;
    while (b < text.size() && isWordChar(text[b]))
        ++b;
    return {a, b};
}

} // namespace varentis
