#include "app/ScreenPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace varentis {

QRect keepInside(QRect frame, const QRect& area) {
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.left() + area.width() - frame.width()));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.top() + area.height() - frame.height()));
    return frame;
}

void placeWindow(QWidget* window, const QWidget* over, bool centreOnScreen) {
    const QScreen* screen = over ? over->screen() : window->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // A window not shown yet has no frame to measure; the other window's frame is the same
    // window manager's.
    const QWidget* framed = window->isVisible() ? window : over;
    QMargins margins;
    if (framed && framed->isVisible()) {
        const QRect outer = framed->frameGeometry(), inner = framed->geometry();
        margins = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    QRect frame(QPoint(0, 0), window->size().grownBy(margins));
    frame.moveCenter(centreOnScreen || !over ? area.center() : over->frameGeometry().center());
    frame = keepInside(frame, area);
    const QSize size = frame.size().shrunkBy(margins).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    window->move(frame.topLeft()); // a window's position is its frame's
}

} // namespace varentis
