#pragma once

#include <QImage>
#include <QString>

namespace varentis {

struct ValveLanes;

// Where the plot view draws, beyond the controls it reads and writes by name: the plot's
// and the valve graph's images, the captions of the axes and the zero line's label.
class PlotSurface {
public:
    virtual ~PlotSurface() = default;

    // The plot box: its image and its size (pixels); shown after drawing.
    virtual QImage& plotImage() = 0;
    virtual int plotWidth() const = 0;
    virtual int plotHeight() const = 0;
    virtual void showPlot() = 0;

    // The valve graph: lanes and check boxes placed, the plot moved below them.
    virtual void placeValveGraph(const ValveLanes& lanes) = 0;
    virtual QImage& valveImage() = 0;
    virtual int valveWidth() const = 0;
    virtual int valveHeight() const = 0;
    virtual void showValveGraph() = 0;

    // The axis captions, 0 .. 3 (Label5 .. Label8); a caption without a text stays.
    virtual void setAxisCaption(int index, const QString& text) = 0;
    // The zero line's label, its top at `top` plot pixels.
    virtual void placeZeroLabel(bool visible, int top) = 0;
};

} // namespace varentis
