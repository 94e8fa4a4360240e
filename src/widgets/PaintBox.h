#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace varentis {

// A drawing surface that keeps what was drawn. The drawing code paints into image() at
// any time (during a tick, a redraw) and then calls update(); the paint event only copies
// the image to the screen, as Qt paints widgets only in paint events.
class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(const QString& name, QWidget* parent = nullptr);

    // The image, sized to the widget (contents kept where the size did not change).
    QImage& image();

    // Called at the start of each paint event instead of copying the image (the frame box
    // paints itself and asks for a redraw).
    std::function<void(QPainter&)> onPaint;

signals:
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);
    // A double-click of the left button; it takes the place of the second press. The second
    // press of any other button comes as mousePressed.
    void doubleClicked(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage image_;
};

} // namespace varentis
