#include "graph/PlotCursor.h"

#include "core/Decimal.h"
#include "graph/SignalGraph.h"

#include <cmath>

namespace varentis {

double timeAtPixel(const GraphScale& scale, int x) {
    return snappedToDecimal((x / scale.XScale + scale.XMin) / scale.XUnitFactor);
}

double signalAtPixel(const GraphScale& scale, int height, int y) {
    return snappedToDecimal(((height - y) / scale.YScale + scale.YMin) / scale.YUnitFactor);
}

std::string timeAtPixelText(const GraphScale& scale, int x) {
    return text(timeAtPixel(scale, x), scale.XDecimals + 1);
}

std::string signalAtPixelText(const GraphScale& scale, int height, int y) {
    return text(signalAtPixel(scale, height, y), scale.YDecimals);
}

bool zoomsIn(const PixelRect& band) {
    return band.Left < band.Right && band.Top < band.Bottom;
}

AxisTexts zoomedAxisTexts(const GraphScale& scale, int height, const PixelRect& band, int releaseX,
                          int releaseY) {
    AxisTexts t;
    t.XMin = timeAtPixelText(scale, band.Left);
    t.XMax = timeAtPixelText(scale, releaseX);
    t.YMax = signalAtPixelText(scale, height, band.Top);
    t.YMin = signalAtPixelText(scale, height, releaseY);
    return t;
}

int nearestPointIndex(std::span<const double> times, double t) {
    return nearestPointIndex(static_cast<int>(times.size()), t,
                             [times](int i) { return times[static_cast<std::size_t>(i)]; });
}

double smoothedSignal(std::span<const double> signalValues, int index, double dampingFactor) {
    if (signalValues.empty())
        return 0.0;
    const auto last =
        std::min(static_cast<std::size_t>(std::max(index, 0)), signalValues.size() - 1);
    const double keep = dampingFactor;
    const double take = 1.0 - dampingFactor;
    double v = signalValues[0];
    for (std::size_t k = 1; k <= last; ++k)
        v = keep * v + take * signalValues[k];
    return v;
}

PointPick pickPoint(const GraphScale& scale, const PointStore& points, int height, int x,
                    bool withCurrent) {
    PointPick pick;
    const std::size_t held = std::min({static_cast<std::size_t>(std::max(points.Count, 0)),
                                       points.Times.size(), points.Signals.size()});
    if (held == 0)
        return pick;
    const std::span<const double> times(points.Times.data(), held);
    const double t = snappedToDecimal(x / scale.XScale + scale.XMin);
    const int i = nearestPointIndex(times, t);
    const auto at = static_cast<std::size_t>(i);
    pick.Index = i;
    pick.Time = text(snappedToDecimal(times[at] / scale.XUnitFactor), scale.XDecimals + 1);

    const double v = smoothedSignal({points.Signals.data(), held}, i, scale.DampingFactor);
    pick.Signal = v;
    pick.Value = text(snappedToDecimal((v - scale.ZeroLine) / scale.YUnitFactor), scale.YDecimals);
    pick.Marker = {pixel((times[at] - scale.XMin) * scale.XScale),
                   height - pixel((v - scale.ZeroLine - scale.YMin) * scale.YScale)};

    // A store read from a file without currents, or a run that kept none, has nothing to
    // show for the potentiostat however the boxes are ticked now.
    if (withCurrent && at < points.Currents.size()) {
        const double current = points.Currents[at];
        pick.HasCurrent = true;
        pick.Current = text(snappedToDecimal(current / scale.CurUnitFactor), scale.CurrentDecimals);
        pick.MarkerCurrentY = height - pixel((current - scale.CurMin) * scale.CurScale);
    }
    return pick;
}

std::string zeroLineText(const GraphScale& scale, double readoutSignal) {
    return text(snappedToDecimal(readoutSignal / scale.YUnitFactor), scale.YDecimals + 1);
}

void drawFocusRect(Canvas& canvas, const PixelRect& band) {
    const int left = std::min(band.Left, band.Right);
    const int right = std::max(band.Left, band.Right) - 1; // last column
    const int top = std::min(band.Top, band.Bottom);
    const int bottom = std::max(band.Top, band.Bottom) - 1; // last row
    if (right < left || bottom < top)
        return;
    canvas.setPen(rgb(0, 0, 0), PenStyle::Dotted);
    canvas.setPenMode(PenMode::Not);
    // Four edges that share no pixel: a pixel inverted twice would vanish from the frame.
    auto edge = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    };
    edge(left, top, right, top);
    if (bottom > top)
        edge(right, bottom, left, bottom);
    if (bottom - top > 1) {
        edge(left, bottom - 1, left, top + 1);
        if (right > left)
            edge(right, top + 1, right, bottom - 1);
    }
    canvas.setPenMode(PenMode::Copy);
    canvas.setPenStyle(PenStyle::Solid);
}

void drawCross(Canvas& canvas, Point at) {
    canvas.moveTo(at.x - 5, at.y);
    canvas.lineTo(at.x + 5, at.y);
    canvas.moveTo(at.x, at.y - 5);
    canvas.lineTo(at.x, at.y + 5);
}

} // namespace varentis
