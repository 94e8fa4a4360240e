#include "app/MainPlotSurface.h"

#include "app/MainFormLayout.h"
#include "widgets/PaintBox.h"

#include <QLabel>

namespace varentis {

QImage& MainPlotSurface::plotImage() { return form_.PaintBox2->image(); }
int MainPlotSurface::plotWidth() const { return form_.PaintBox2->width(); }
int MainPlotSurface::plotHeight() const { return form_.PaintBox2->height(); }
void MainPlotSurface::showPlot() { form_.PaintBox2->update(); }
void MainPlotSurface::placeValveGraph(const ValveLanes& lanes) { form_.placeValveGraph(lanes); }
QImage& MainPlotSurface::valveImage() { return form_.PaintBox3->image(); }
int MainPlotSurface::valveWidth() const { return form_.PaintBox3->width(); }
int MainPlotSurface::valveHeight() const { return form_.PaintBox3->height(); }
void MainPlotSurface::showValveGraph() { form_.PaintBox3->update(); }

void MainPlotSurface::setAxisCaption(int index, const QString& text) {
    QLabel* const captions[] = {form_.Label5, form_.Label6, form_.Label7, form_.Label8};
    captions[index]->setText(text);
}

void MainPlotSurface::placeZeroLabel(bool visible, int top) {
    form_.Label9->setVisible(visible);
    if (visible) form_.Label9->move(form_.Label9->x(), top + form_.PaintBox2->y());
}

} // namespace varentis
