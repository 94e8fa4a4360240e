#include "printing/PaperPreview.h"

#include "core/Ratio.h"

#include <algorithm>
#include <utility>

namespace varentis {

namespace {

int clampedInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -1'000'000, 1'000'000));
}

// Tenths, halves to even, as "21.0".
std::string oneDecimal(const Ratio& cm) {
    const std::int64_t tenths = (cm * Ratio(10)).rounded();
    const std::int64_t whole = tenths / 10, rest = tenths % 10;
    std::string s = (tenths < 0 && whole == 0) ? "-0" : std::to_string(whole);
    return s + "." + std::to_string(rest < 0 ? -rest : rest);
}

} // namespace

PaperPreview paperPreview(const PaperPixels& paper, bool landscape, const std::string& left,
                          const std::string& top, const std::string& right,
                          const std::string& bottom) {
    PaperPreview p;
    const Ratio inch = Ratio::ofText("2.54");
    Ratio w = paper.DpiX > 0 ? Ratio(paper.Width) * inch / Ratio(paper.DpiX) : Ratio(0);
    Ratio h = paper.DpiY > 0 ? Ratio(paper.Height) * inch / Ratio(paper.DpiY) : Ratio(0);
    if (landscape) {
        p.Paper = {16, 50, 16 + 97, 50 + 69};
        if ((w - h).sign() < 0) std::swap(w, h);
    } else {
        p.Paper = {30, 36, 30 + 69, 36 + 97};
        if ((w - h).sign() > 0) std::swap(w, h);
    }
    p.WidthCm = w.value();
    p.HeightCm = h.value();
    p.Caption = "Size: " + oneDecimal(w) + " x " + oneDecimal(h) + " cm";

    const int pw = p.Paper.width(), ph = p.Paper.height();
    if (w.sign() <= 0 || h.sign() <= 0) {
        // No paper size known: the whole sheet is shown printable.
        p.Area = {0, 0, pw - 1, ph};
        return p;
    }
    const Ratio l = Ratio::ofText(left), r = Ratio::ofText(right);
    const Ratio t = Ratio::ofText(top), b = Ratio::ofText(bottom);
    const int x = clampedInt((Ratio(pw) * l / w).rounded());
    const int width = clampedInt(((w - l - r) * Ratio(pw) / w).rounded()) - 1;
    const int y = clampedInt((Ratio(ph) * t / h).rounded());
    const int height = clampedInt(((h - t - b) * Ratio(ph) / h).rounded());
    p.Area = {x, y, x + width, y + height};
    return p;
}

} // namespace varentis
