#include "graph/RecordingCanvas.h"

namespace varentis {

void RecordingCanvas::record(Kind kind, std::vector<Point> points, std::string_view text) {
    calls_.push_back({kind, std::move(points), std::string(text), penColor_, penStyle_,
                      penWidth_, penMode_, brushColor_, font_});
}

void RecordingCanvas::moveTo(int x, int y) {
    checkPoint({x, y});
    record(Kind::MoveTo, {{x, y}});
    position_ = {x, y};
}

void RecordingCanvas::addSegment(Point to) {
    segments_.push_back({position_, to, penColor_, penStyle_, penWidth_});
    position_ = to;
}

void RecordingCanvas::lineTo(int x, int y) {
    checkPoint({x, y});
    record(Kind::LineTo, {{x, y}});
    addSegment({x, y});
}

void RecordingCanvas::polyline(std::span<const Point> points) {
    if (points.empty()) return;
    for (Point p : points) checkPoint(p);
    record(Kind::Polyline, {points.begin(), points.end()});
    position_ = points.front();
    for (std::size_t i = 1; i < points.size(); ++i) addSegment(points[i]);
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
    checkPoint({left, top});
    checkPoint({right, bottom});
    record(Kind::Rectangle, {{left, top}, {right, bottom}});
}

void RecordingCanvas::fillRect(int left, int top, int right, int bottom) {
    checkPoint({left, top});
    checkPoint({right, bottom});
    record(Kind::FillRect, {{left, top}, {right, bottom}});
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
    checkPoint({x, y});
    record(Kind::TextOut, {{x, y}}, text);
}

Size RecordingCanvas::textExtent(std::string_view text) {
    const int n = static_cast<int>(text.size());
    if (!fontSet_) return {7 * n, 13};
    return {font_.Size / 2 * n, 2 * font_.Size};
}

std::vector<RecordingCanvas::Call> RecordingCanvas::textCalls() const {
    std::vector<Call> out;
    for (const Call& c : calls_)
        if (c.kind == Kind::TextOut) out.push_back(c);
    return out;
}

std::vector<RecordingCanvas::Segment> RecordingCanvas::segmentsOf(ColorRef color) const {
    std::vector<Segment> out;
    for (const Segment& s : segments_)
        if (s.color == color) out.push_back(s);
    return out;
}

void RecordingCanvas::clear() {
    calls_.clear();
    segments_.clear();
    position_ = {};
}

} // namespace varentis
