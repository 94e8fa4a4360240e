#include "graph/RecordingCanvas.h"

namespace varentis {

void RecordingCanvas::moveTo(int x, int y) {
    checkPoint({x, y});
    calls_.push_back({Kind::MoveTo, {{x, y}}, {}, penColor_, penStyle_, penWidth_, penMode_,
                      brushColor_});
    position_ = {x, y};
}

void RecordingCanvas::addSegment(Point to) {
    segments_.push_back({position_, to, penColor_, penStyle_, penWidth_});
    position_ = to;
}

void RecordingCanvas::lineTo(int x, int y) {
    checkPoint({x, y});
    calls_.push_back({Kind::LineTo, {{x, y}}, {}, penColor_, penStyle_, penWidth_, penMode_,
                      brushColor_});
    addSegment({x, y});
}

void RecordingCanvas::polyline(std::span<const Point> points) {
    if (points.empty()) return;
    for (Point p : points) checkPoint(p);
    calls_.push_back({Kind::Polyline, {points.begin(), points.end()}, {}, penColor_, penStyle_,
                      penWidth_, penMode_, brushColor_});
    position_ = points.front();
    for (std::size_t i = 1; i < points.size(); ++i) addSegment(points[i]);
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
    checkPoint({left, top});
    checkPoint({right, bottom});
    calls_.push_back({Kind::Rectangle, {{left, top}, {right, bottom}}, {}, penColor_, penStyle_,
                      penWidth_, penMode_, brushColor_});
}

void RecordingCanvas::fillRect(int left, int top, int right, int bottom) {
    checkPoint({left, top});
    checkPoint({right, bottom});
    calls_.push_back({Kind::FillRect, {{left, top}, {right, bottom}}, {}, penColor_, penStyle_,
                      penWidth_, penMode_, brushColor_});
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
    checkPoint({x, y});
    calls_.push_back({Kind::TextOut, {{x, y}}, std::string(text), penColor_, penStyle_,
                      penWidth_, penMode_, brushColor_});
}

Size RecordingCanvas::textExtent(std::string_view text) {
    return {7 * static_cast<int>(text.size()), 13};
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
