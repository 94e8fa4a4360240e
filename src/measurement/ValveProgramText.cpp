#include "measurement/ValveProgramText.h"

#include "core/Decimal.h"
#include "measurement/IntervalList.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace varentis {

namespace {

constexpr int kPasses = 10;
// Bounds of one group's expansion besides the valve's intervals: a run of copies that only
// adds into one interval (n*(0,5)) or carries long unreadable text stops here.
constexpr std::size_t kExpansionNumbers = 50000;
constexpr std::size_t kExpansionChars = std::size_t{1} << 20;

constexpr std::string_view kValveNames[kValveCount] = {"V1=", "V2=", "V3=", "V4=",
                                                       "V5=", "V6=", "V7=", "V8=",
                                                       "V9=", "V10=", "V11=", "V12="};

std::string_view skipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

enum class ItemKind { Number, Stop, Pause, Other };

struct Item {
    ItemKind Kind = ItemKind::Other;
    DecimalText Number;
};

Item readItem(std::string_view text) {
    Item item;
    const std::string_view t = skipBlanks(text);
    if (t == "SA") {
        item.Kind = ItemKind::Stop;
    } else if (t == "PA") {
        item.Kind = ItemKind::Pause;
    } else {
        item.Number = readDecimal(text);
        if (item.Number.Valid) item.Kind = ItemKind::Number;
    }
    return item;
}

template <typename F>
void forEachItem(std::string_view list, F&& f) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        f(list.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                             : comma - start));
        if (comma == std::string_view::npos) return;
        start = comma + 1;
    }
}

// The repeat count before "*(": a whole number after optional blanks; a minus sign is
// ignored. Anything else counts 0.
std::uint64_t readCount(std::string_view t) {
    t = skipBlanks(t);
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    if (t.empty()) return 0;
    constexpr std::uint64_t kHuge = std::uint64_t{1} << 62;
    std::uint64_t n = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return 0;
        n = std::min(kHuge, n * 10 + static_cast<std::uint64_t>(c - '0'));
    }
    return n;
}

// n copies of `inner`, joined by commas. Copying stops where nothing further can reach the
// valve's intervals: past 5000 intervals formed even after a cancelling 0 before the group
// (the worst start), or past the number and size bounds. What it drops then is only its
// "SA" and "PA", added once each, and its last item, which joins the text after the group.
std::string repeatGroup(std::string_view inner, std::uint64_t n) {
    std::string out;
    if (n == 0) return out;
    std::vector<std::string_view> items;
    std::vector<Item> kinds;
    bool nonzero = false, stop = false, pause = false;
    forEachItem(inner, [&](std::string_view item) {
        items.push_back(item);
        kinds.push_back(readItem(item));
        const Item& k = kinds.back();
        nonzero |= k.Kind == ItemKind::Number && k.Number.Value != 0.0;
        stop |= k.Kind == ItemKind::Stop;
        pause |= k.Kind == ItemKind::Pause;
    });
    // Without a nonzero number a copy forms no interval: two copies do all that more would.
    if (!nonzero) n = std::min<std::uint64_t>(n, 2);

    std::size_t pushes = 0, numbers = 0;
    bool pending = true;
    for (std::uint64_t c = 0; c < n; ++c) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (c > 0 || i > 0) out += ',';
            out += items[i];
            if (kinds[i].Kind == ItemKind::Number) {
                ++numbers;
                if (kinds[i].Number.Value == 0.0) {
                    pending = true;
                } else {
                    if (!pending) ++pushes;
                    pending = false;
                }
            }
            const bool last = c + 1 == n && i + 1 == items.size();
            if (!last && (pushes > kMaxValveIntervals || numbers >= kExpansionNumbers ||
                          out.size() >= kExpansionChars)) {
                if (stop) out += ",SA";
                if (pause) out += ",PA";
                out += ',';
                out += items.back();
                return out;
            }
        }
    }
    return out;
}

using Number = IntervalList::Number;

Number numberOf(const DecimalText& d) {
    Number n;
    n.value = d.Value;
    const Int128 limit = kExactIntervalLimit;
    n.exact = d.Number.Exact && d.Number.Digits <= limit && d.Number.Digits >= -limit;
    if (n.exact) {
        n.digits = static_cast<std::int64_t>(d.Number.Digits);
        n.exponent = d.Number.Exponent;
    }
    return n;
}

// The common items, read in one pass: optional blanks and sign, up to 15 digits with an
// optional fraction, then the comma or the end. True with `p` at that comma or end;
// anything else goes the general way (false, `p` somewhere in the item).
bool plainNumber(const char*& p, const char* end, Number& n) {
    constexpr double kPow10d[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::int64_t digits = 0;
    int count = 0, fraction = 0;
    bool any = false, point = false;
    for (; p < end && *p != ','; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            any = true;
            if (digits == 0 && c == '0') {
                fraction += point;
                continue;
            }
            if (++count > 15) return false;
            digits = digits * 10 + (c - '0');
            fraction += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!any || fraction > 15) return false;
    n.digits = negative ? -digits : digits;
    n.exponent = digits == 0 ? 0 : -fraction;
    n.exact = true;
    // Both are exact doubles: one rounding gives the nearest double, as the library's
    // reading would.
    n.value = static_cast<double>(digits) / kPow10d[fraction];
    if (negative) n.value = -n.value;
    return true;
}

// One list's items in one pass: the common numbers read straight from the text, anything
// else cut at its comma and read the general way.
ValveListFlags readItems(std::string_view items, IntervalList& list) {
    ValveListFlags flags;
    const char* p = items.data();
    const char* const end = p + items.size();
    for (;;) {
        const char* const start = p;
        Number number;
        if (plainNumber(p, end, number)) {
            list.add(number);
        } else {
            p = std::find(p, end, ',');
            const Item item =
                readItem(std::string_view(start, static_cast<std::size_t>(p - start)));
            switch (item.Kind) {
            case ItemKind::Number: list.add(numberOf(item.Number)); break;
            case ItemKind::Stop: flags.Stop = true; break;
            case ItemKind::Pause: flags.Pause = true; break;
            case ItemKind::Other: break;
            }
        }
        if (p == end) return flags;
        ++p; // the comma
    }
}

} // namespace

int valveOf(std::string_view line, std::size_t& listStart) {
    for (int v = 0; v < kValveCount; ++v) {
        const std::size_t pos = line.find(kValveNames[v]);
        if (pos != std::string_view::npos) {
            listStart = pos + kValveNames[v].size();
            return v;
        }
    }
    return -1;
}

std::string expandValveGroups(std::string_view list) {
    std::string text(list);
    for (int pass = 0; pass < kPasses; ++pass) {
        const std::size_t p = text.rfind("*(");
        if (p == std::string::npos) break;
        const std::size_t close = text.find(')', p + 2);
        const std::size_t innerEnd = close == std::string::npos ? text.size() : close;
        std::size_t countStart = 0;
        if (p > 0) {
            const std::size_t b = text.find_last_of(",(", p - 1);
            if (b != std::string::npos) countStart = b + 1;
        }
        const std::uint64_t n =
            readCount(std::string_view(text).substr(countStart, p - countStart));
        std::size_t end = close == std::string::npos ? text.size() : close + 1;
        if (n == 0 && end < text.size()) ++end; // a group repeated 0 times goes with its comma
        std::string copies =
            repeatGroup(std::string_view(text).substr(p + 2, innerEnd - (p + 2)), n);
        text.replace(countStart, end - countStart, copies);
    }
    return text;
}

ValveListFlags readValveList(std::string_view list, IntervalList& intervals) {
    std::string expandedText;
    std::string_view items = list;
    if (list.find("*(") != std::string_view::npos) {
        expandedText = expandValveGroups(list);
        items = expandedText;
    }
    // Every item but the last takes at least a digit and a comma.
    const std::size_t most = std::min(items.size() / 2 + 1, kMaxValveIntervals);
    intervals.values.reserve(most);
    intervals.digits.reserve(most);
    return readItems(items, intervals);
}

} // namespace varentis
