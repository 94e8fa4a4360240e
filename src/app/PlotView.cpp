#include "app/PlotView.h"

#include "app/MainFormLayout.h"
#include "app/WidgetControls.h"
#include "core/Decimal.h"
#include "core/NumberText.h"
#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "widgets/PaintBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace varentis {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

PlotView::PlotView(MainFormLayout& form, const WidgetControls& controls, const PointStore& points)
    : form_(form), controls_(controls), points_(points) {}

ScaleSettings PlotView::scaleSettings() const {
    ScaleSettings st;
    st.XMin = form_.Edit4->text().toStdString();
    st.XMax = form_.Edit5->text().toStdString();
    st.XUnits = form_.ComboBox2->currentIndex();
    st.YMin = form_.Edit2->text().toStdString();
    st.YMax = form_.Edit3->text().toStdString();
    st.YUnits = form_.ComboBox1->currentIndex();
    st.Zero = form_.Edit8->text().toStdString();
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
    c.ShowPump = form_.ShowPump->isChecked();
    c.ShowPotential = form_.ShowPotential->isChecked();
    c.UsingPotentiostat = form_.UsingPotentiostat->isChecked();
    c.DrawCurrent = form_.DrawCurrent->isChecked();
    c.Colors = Colors;
    c.Width = form_.PaintBox2->width();
    c.Height = form_.PaintBox2->height();
    return c;
}

void PlotView::XYFactors() {
    ScaleResult r = varentis::XYFactors(scaleSettings(), form_.PaintBox2->width(),
                                        form_.PaintBox2->height(), scale_);
    scale_ = r.Scale;
    if (r.Label5)
        form_.Label5->setText(QString::fromStdString(*r.Label5));
    if (r.Label6)
        form_.Label6->setText(QString::fromStdString(*r.Label6));
    if (r.Label7)
        form_.Label7->setText(QString::fromStdString(*r.Label7));
    if (r.Label8)
        form_.Label8->setText(QString::fromStdString(*r.Label8));
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
    form_.Label11->setText(form_.ComboBox1->currentText());
    scale_.DampingFactor = dampingFactor(form_.Edit7->text().toStdString(),
                                         form_.ComboBox4->currentIndex(), periodSeconds);
    DrawValves();

    QImage& image = form_.PaintBox2->image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    const ZeroLabel zero = drawSignalGraph(canvas, scale_, plotContent());
    painter.end();
    form_.Label9->setVisible(zero.Visible);
    if (zero.Visible)
        form_.Label9->move(form_.Label9->x(), zero.Top + form_.PaintBox2->y());
    form_.PaintBox2->update();
}

void PlotView::DrawValves() {
    const ValveLanes lanes = valveLanes(*valves_, form_.ShowValves->isChecked());
    form_.placeValveGraph(lanes);
    if (!lanes.Shown)
        return;
    PaintBox& box = *form_.PaintBox3;
    TimeAxis axis;
    axis.XMin = scale_.XMin;
    axis.XMax = scale_.XMax;
    axis.XScale = scale_.XScale;
    axis.Width = box.width();
    QImage& image = box.image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    drawValveGraph(canvas, {0, 0, box.width(), box.height()}, axis, *valves_, lanes, cycleTime_,
                   Colors);
    painter.end();
    box.update();
}

void PlotView::DrawPoint(double time, double signal, double current) {
    QImage& image = form_.PaintBox2->image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    drawPoint(canvas, scale_, plotContent(), time, signal, current);
    painter.end();
    form_.PaintBox2->update();
}

void PlotView::startLiveTrace() {
    varentis::startLiveTrace(scale_);
}

// ---- Zoom and cursor read-out ----------------------------------------------------------

void PlotView::paintPlot(const std::function<void(Canvas&)>& draw) {
    QImage& image = form_.PaintBox2->image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    draw(canvas);
    painter.end();
    form_.PaintBox2->update();
}

void PlotView::showPixel(int x, int y) {
    form_.Panel6->setText(qs(timeAtPixelText(scale_, x)) + " " + form_.ComboBox2->currentText());
    form_.Panel7->setText(qs(signalAtPixelText(scale_, form_.PaintBox2->height(), y)) + " " +
                          form_.ComboBox1->currentText());
}

bool PlotView::currentShown() const {
    return form_.UsingPotentiostat->isChecked() && form_.DrawCurrent->isChecked();
}

void PlotView::PaintBox2MouseDown(Qt::MouseButton button, int x, int y, RunState state) {
    if (button == Qt::RightButton) {
        if (Zooming) {
            // A second press before the release: the band starts again, the status that
            // was there before the first press stays the one to come back to.
            if (bandShown_)
                paintPlot([this](Canvas& c) { drawFocusRect(c, RubberBand); });
        } else {
            SavedStatus = form_.Panel5->text();
        }
        form_.Panel5->setText("Zoom");
        Zooming = true;
        showPixel(x, y);
        // A band left by a drag that did not zoom stays until the next redraw.
        RubberBand = {x, y, x, y};
        bandShown_ = false;
        return;
    }
    if (button != Qt::LeftButton || state != RunState::Stopped)
        return;
    if (points_.Count < 1 || points_.Times.empty() || points_.Signals.empty())
        return;
    pickPointAt(x);
}

void PlotView::pickPointAt(int x) {
    const bool withCurrent = currentShown();
    const PointPick pick = pickPoint(scale_, points_, form_.PaintBox2->height(), x, withCurrent);
    paintPlot([&](Canvas& c) {
        c.setPen(rgb(0, 0, 0));
        c.setPenMode(PenMode::Not);
        if (MarkerShown) {
            drawCross(c, {MarkerX, MarkerY});
            if (markerCurrentShown_)
                drawCross(c, {MarkerX, MarkerCurrentY});
        }
        drawCross(c, pick.Marker);
        if (pick.HasCurrent)
            drawCross(c, {pick.Marker.x, pick.MarkerCurrentY});
        c.setPenMode(PenMode::Copy);
    });
    form_.Panel6->setText(qs(pick.Time) + " " + form_.ComboBox2->currentText());
    ReadoutSignal = pick.Signal;
    form_.Panel7->setText(qs(pick.Value) + " " + form_.ComboBox1->currentText());
    form_.Panel8->setText(QString::number(pick.Index));
    form_.Panel5->setText(QString::number(pick.Index));
    if (withCurrent) {
        // Points without a stored current show none rather than another point's.
        form_.Panel9->setText(pick.HasCurrent ? "Potentiostat: " + qs(pick.Current) + " " +
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
    if (!Zooming)
        return;
    paintPlot([&](Canvas& c) {
        if (bandShown_)
            drawFocusRect(c, RubberBand); // inverting again erases it
        RubberBand.Right = x;
        RubberBand.Bottom = y;
        drawFocusRect(c, RubberBand);
    });
    bandShown_ = true;
    showPixel(x, y);
}

void PlotView::PaintBox2MouseUp(int x, int y) {
    if (!Zooming)
        return;
    Zooming = false;
    // A drag to the left or upwards (or a click) leaves its band and "Zoom" until the next
    // redraw.
    if (!zoomsIn(RubberBand))
        return;
    if (!Zoomed) {
        SavedAxisTexts = {form_.Edit4->text().toStdString(), form_.Edit5->text().toStdString(),
                          form_.Edit2->text().toStdString(), form_.Edit3->text().toStdString()};
    }
    // With the scale in force before the change; writing the fields asks for the redraw
    // that wipes the band.
    const AxisTexts zoomed = zoomedAxisTexts(scale_, form_.PaintBox2->height(), RubberBand, x, y);
    form_.Edit4->setText(qs(zoomed.XMin));
    form_.Edit5->setText(qs(zoomed.XMax));
    form_.Edit3->setText(qs(zoomed.YMax));
    form_.Edit2->setText(qs(zoomed.YMin));
    Zoomed = true;
    form_.Panel5->setText(SavedStatus.isEmpty() ? QString("Zoom") : SavedStatus);
    form_.Panel6->clear();
    form_.Panel7->clear();
}

bool PlotView::PaintBox2DblClick(RunState state) {
    form_.Panel5->clear();
    if (state == RunState::Running)
        form_.Panel5->setText("Measuring");
    else if (state == RunState::Paused)
        form_.Panel5->setText("Pause");
    for (QLabel* p : {form_.Panel6, form_.Panel7, form_.Panel8, form_.Panel9})
        p->clear();
    if (!Zoomed)
        return true;
    unzoom();
    return false;
}

void PlotView::unzoom() {
    if (!Zoomed)
        return;
    form_.Edit4->setText(qs(SavedAxisTexts.XMin));
    form_.Edit5->setText(qs(SavedAxisTexts.XMax));
    form_.Edit2->setText(qs(SavedAxisTexts.YMin));
    form_.Edit3->setText(qs(SavedAxisTexts.YMax));
    Zoomed = false;
}

void PlotView::resetCursor() {
    Zooming = false;
    Zoomed = false;
    MarkerShown = false;
}

void PlotView::Panel7DblClick() {
    if (form_.Panel7->text().isEmpty())
        return;
    const std::string zero = zeroLineText(scale_, ReadoutSignal);
    form_.Edit8->setText(qs(zero));
    // The read-out now stands on the new zero line.
    const double shown = snappedToDecimal((ReadoutSignal - readNumber(zero) * scale_.YUnitFactor) /
                                          scale_.YUnitFactor);
    form_.Panel7->setText(qs(text(shown, scale_.YDecimals)) + " " + form_.ComboBox1->currentText());
}

} // namespace varentis
