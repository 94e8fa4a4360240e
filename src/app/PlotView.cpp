#include "app/PlotView.h"

#include "app/MainFormLayout.h"
#include "app/WidgetControls.h"
#include "graph/AxisScaling.h"
#include "graph/QPainterCanvas.h"
#include "widgets/PaintBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace varentis {

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
    if (r.Label5) form_.Label5->setText(QString::fromStdString(*r.Label5));
    if (r.Label6) form_.Label6->setText(QString::fromStdString(*r.Label6));
    if (r.Label7) form_.Label7->setText(QString::fromStdString(*r.Label7));
    if (r.Label8) form_.Label8->setText(QString::fromStdString(*r.Label8));
}

void PlotView::DrawGraph(std::shared_ptr<const RunPrograms> programs,
                         std::shared_ptr<const ValveProgram> valves, double cycleTimeSeconds,
                         double periodSeconds) {
    ++redrawCount_;
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
    if (zero.Visible) form_.Label9->move(form_.Label9->x(), zero.Top + form_.PaintBox2->y());
    form_.PaintBox2->update();
}

void PlotView::DrawValves() {
    const ValveLanes lanes = valveLanes(*valves_, form_.ShowValves->isChecked());
    form_.placeValveGraph(lanes);
    if (!lanes.Shown) return;
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

void PlotView::startLiveTrace() { varentis::startLiveTrace(scale_); }

} // namespace varentis
