#include "app/PlotView.h"

#include "app/PlotSurface.h"
#include "core/Decimal.h"
#include "core/NumberText.h"
#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "graph/ValveGraph.h"

#include <QPainter>

namespace varentis {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
constexpr const char* kReadouts[] = {"Panel6", "Panel7", "Panel8", "Panel9"};
} // namespace

PlotView::PlotView(PlotSurface& surface, ControlAccess& controls, const PointStore& points)
    : surface_(surface), controls_(controls), points_(points) {}

QString PlotView::fieldText(std::string_view control) const { return qs(controls_.text(control)); }

void PlotView::setFieldText(std::string_view control, const QString& text) {
    controls_.setText(control, text.toStdString());
}

ScaleSettings PlotView::scaleSettings() const {
    ScaleSettings st;
    st.XMin = controls_.text("Edit4");
    st.XMax = controls_.text("Edit5");
    st.XUnits = controls_.itemIndex("ComboBox2");
    st.YMin = controls_.text("Edit2");
    st.YMax = controls_.text("Edit3");
    st.YUnits = controls_.itemIndex("ComboBox1");
    st.Zero = controls_.text("Edit8");
    st.PotentialMin = controls_.text("TPotential.PMin");
    st.PotentialMax = controls_.text("TPotential.PMax");
    st.CurrentMin = controls_.text("TPotential.CMin");
    st.CurrentMax = controls_.text("TPotential.CMax");
    st.CurrentUnits = controls_.itemIndex("TPotential.CUnits");
    return st;
}

PlotContent PlotView::plotContent() const {
    PlotContent c;
    c.Points = &points_;
    c.Pump = &programs_->Pump;
    c.Potential = &programs_->Potential;
    c.CycleTime = cycleTime_;
    c.ShowPump = controls_.checked("ShowPump");
    c.ShowPotential = controls_.checked("ShowPotential");
    c.UsingPotentiostat = controls_.checked("UsingPotentiostat");
    c.DrawCurrent = controls_.checked("DrawCurrent");
    c.Colors = Colors;
    c.Width = surface_.plotWidth();
    c.Height = surface_.plotHeight();
    return c;
}

void PlotView::XYFactors() {
    ScaleResult r = varentis::XYFactors(scaleSettings(), surface_.plotWidth(),
                                        surface_.plotHeight(), scale_);
    scale_ = r.Scale;
    const std::optional<std::string>* captions[] = {&r.Label5, &r.Label6, &r.Label7, &r.Label8};
    for (int i = 0; i < 4; ++i)
        if (*captions[i]) surface_.setAxisCaption(i, qs(**captions[i]));
}

void PlotView::DrawGraph(std::shared_ptr<const RunPrograms> programs,
                         std::shared_ptr<const ValveProgram> valves, double cycleTimeSeconds,
                         double periodSeconds) {
    ++redrawCount_;
    // The picture is drawn afresh: no marker and no rubber band on it any more.
    MarkerShown = false;
    bandShown_ = false;
    programs_ = std::move(programs);
    valves_ = std::move(valves);
    cycleTime_ = cycleTimeSeconds;
    XYFactors();
    setFieldText("Label11", fieldText("ComboBox1"));
    scale_.DampingFactor = dampingFactor(controls_.text("Edit7"),
                                         controls_.itemIndex("ComboBox4"), periodSeconds);
    DrawValves();

    QImage& image = surface_.plotImage();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    const ZeroLabel zero = drawSignalGraph(canvas, scale_, plotContent());
    painter.end();
    surface_.placeZeroLabel(zero.Visible, zero.Top);
    surface_.showPlot();
}

void PlotView::DrawValves() {
    const ValveLanes lanes = valveLanes(*valves_, controls_.checked("ShowValves"));
    surface_.placeValveGraph(lanes);
    if (!lanes.Shown) return;
    TimeAxis axis;
    axis.XMin = scale_.XMin;
    axis.XMax = scale_.XMax;
    axis.XScale = scale_.XScale;
    axis.Width = surface_.valveWidth();
    QImage& image = surface_.valveImage();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    drawValveGraph(canvas, {0, 0, surface_.valveWidth(), surface_.valveHeight()}, axis, *valves_,
                   lanes, cycleTime_, Colors);
    painter.end();
    surface_.showValveGraph();
}

void PlotView::DrawPoint(double time, double signal, double current) {
    QImage& image = surface_.plotImage();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    drawPoint(canvas, scale_, plotContent(), time, signal, current);
    painter.end();
    surface_.showPlot();
}

void PlotView::startLiveTrace() { varentis::startLiveTrace(scale_); }

// ---- Zoom and cursor read-out ----------------------------------------------------------

void PlotView::paintPlot(const std::function<void(Canvas&)>& draw) {
    QImage& image = surface_.plotImage();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    draw(canvas);
    painter.end();
    surface_.showPlot();
}

void PlotView::showPixel(int x, int y) {
    setFieldText("Panel6", qs(timeAtPixelText(scale_, x)) + " " + fieldText("ComboBox2"));
    setFieldText("Panel7", qs(signalAtPixelText(scale_, surface_.plotHeight(), y)) + " " +
                          fieldText("ComboBox1"));
}

bool PlotView::currentShown() const {
    return controls_.checked("UsingPotentiostat") && controls_.checked("DrawCurrent");
}

void PlotView::PaintBox2MouseDown(Qt::MouseButton button, int x, int y, RunState state) {
    if (button == Qt::RightButton) {
        if (Zooming) {
            // A second press before the release: the band starts again, the status that
            // was there before the first press stays the one to come back to.
            if (bandShown_) paintPlot([this](Canvas& c) { drawFocusRect(c, RubberBand); });
        } else {
            SavedStatus = fieldText("Panel5");
        }
        setFieldText("Panel5", "Zoom");
        Zooming = true;
        showPixel(x, y);
        // A band left by a drag that did not zoom stays until the next redraw.
        RubberBand = {x, y, x, y};
        bandShown_ = false;
        return;
    }
    if (button != Qt::LeftButton || state != RunState::Stopped) return;
    if (points_.Count < 1 || points_.Times.empty() || points_.Signals.empty()) return;
    pickPointAt(x);
}

void PlotView::pickPointAt(int x) {
    const bool withCurrent = currentShown();
    const PointPick pick = pickPoint(scale_, points_, surface_.plotHeight(), x, withCurrent);
    paintPlot([&](Canvas& c) {
        c.setPen(rgb(0, 0, 0));
        c.setPenMode(PenMode::Not);
        if (MarkerShown) {
            drawCross(c, {MarkerX, MarkerY});
            if (markerCurrentShown_) drawCross(c, {MarkerX, MarkerCurrentY});
        }
        drawCross(c, pick.Marker);
        if (pick.HasCurrent) drawCross(c, {pick.Marker.x, pick.MarkerCurrentY});
        c.setPenMode(PenMode::Copy);
    });
    setFieldText("Panel6", qs(pick.Time) + " " + fieldText("ComboBox2"));
    ReadoutSignal = pick.Signal;
    setFieldText("Panel7", qs(pick.Value) + " " + fieldText("ComboBox1"));
    setFieldText("Panel8", QString::number(pick.Index));
    setFieldText("Panel5", QString::number(pick.Index));
    if (withCurrent) {
        // Points without a stored current show none rather than another point's.
        setFieldText("Panel9", pick.HasCurrent ? "Potentiostat: " + qs(pick.Current) + " " +
                                                    qs(controls_.itemText("TPotential.CUnits"))
                                              : QString());
    }
    MarkerX = pick.Marker.x;
    MarkerY = pick.Marker.y;
    MarkerCurrentY = pick.MarkerCurrentY;
    markerCurrentShown_ = pick.HasCurrent;
    MarkerShown = true;
}

void PlotView::PaintBox2MouseMove(int x, int y) {
    if (!Zooming) return;
    paintPlot([&](Canvas& c) {
        if (bandShown_) drawFocusRect(c, RubberBand); // inverting again erases it
        RubberBand.Right = x;
        RubberBand.Bottom = y;
        drawFocusRect(c, RubberBand);
    });
    bandShown_ = true;
    showPixel(x, y);
}

void PlotView::PaintBox2MouseUp(int x, int y) {
    if (!Zooming) return;
    Zooming = false;
    // A drag to the left or upwards (or a click) leaves its band and "Zoom" until the next
    // redraw.
    if (!zoomsIn(RubberBand)) return;
    if (!Zoomed) {
        SavedAxisTexts = {controls_.text("Edit4"), controls_.text("Edit5"),
                          controls_.text("Edit2"), controls_.text("Edit3")};
    }
    // With the scale in force before the change; writing the fields asks for the redraw
    // that wipes the band.
    const AxisTexts zoomed =
        zoomedAxisTexts(scale_, surface_.plotHeight(), RubberBand, x, y);
    setFieldText("Edit4", qs(zoomed.XMin));
    setFieldText("Edit5", qs(zoomed.XMax));
    setFieldText("Edit3", qs(zoomed.YMax));
    setFieldText("Edit2", qs(zoomed.YMin));
    Zoomed = true;
    setFieldText("Panel5", SavedStatus.isEmpty() ? QString("Zoom") : SavedStatus);
    setFieldText("Panel6", QString());
    setFieldText("Panel7", QString());
}

bool PlotView::PaintBox2DblClick(RunState state) {
    setFieldText("Panel5", QString());
    if (state == RunState::Running) setFieldText("Panel5", "Measuring");
    else if (state == RunState::Paused) setFieldText("Panel5", "Pause");
    for (const char* panel : kReadouts) setFieldText(panel, QString());
    if (!Zoomed) return true;
    unzoom();
    return false;
}

void PlotView::unzoom() {
    if (!Zoomed) return;
    setFieldText("Edit4", qs(SavedAxisTexts.XMin));
    setFieldText("Edit5", qs(SavedAxisTexts.XMax));
    setFieldText("Edit2", qs(SavedAxisTexts.YMin));
    setFieldText("Edit3", qs(SavedAxisTexts.YMax));
    Zoomed = false;
}

void PlotView::resetCursor() {
    Zooming = false;
    Zoomed = false;
    MarkerShown = false;
}

void PlotView::Panel7DblClick() {
    if (fieldText("Panel7").isEmpty()) return;
    const std::string zero = zeroLineText(scale_, ReadoutSignal);
    setFieldText("Edit8", qs(zero));
    // The read-out now stands on the new zero line.
    const double shown = snappedToDecimal((ReadoutSignal - readNumber(zero) * scale_.YUnitFactor) /
                                          scale_.YUnitFactor);
    setFieldText("Panel7", qs(text(shown, scale_.YDecimals)) + " " + fieldText("ComboBox1"));
}

} // namespace varentis
