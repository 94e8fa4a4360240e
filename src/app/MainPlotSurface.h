#pragma once

#include "app/PlotSurface.h"

namespace varentis {

class MainFormLayout;

// The plot view's surface in the main window: PaintBox2 for the plot, PaintBox3 for the
// valve graph, Label5 .. Label9 around them.
class MainPlotSurface final : public PlotSurface {
public:
    explicit MainPlotSurface(MainFormLayout& form) : form_(form) {}

    QImage& plotImage() override;
    int plotWidth() const override;
    int plotHeight() const override;
    void showPlot() override;
    void placeValveGraph(const ValveLanes& lanes) override;
    QImage& valveImage() override;
    int valveWidth() const override;
    int valveHeight() const override;
    void showValveGraph() override;
    void setAxisCaption(int index, const QString& text) override;
    void placeZeroLabel(bool visible, int top) override;

private:
    MainFormLayout& form_;
};

} // namespace varentis
