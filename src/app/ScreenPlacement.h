#pragma once

#include <QRect>

class QWidget;

namespace varentis {

// `frame` moved, and made smaller where it is larger, so that it lies inside `area`.
QRect keepInside(QRect frame, const QRect& area);

// Places a window that is about to show so that it lies wholly on the free area of the
// screen, frame included (a window larger than that area is made smaller): centred over
// the window `over`, or with `centreOnScreen` centred on the screen `over` is on.
void placeWindow(QWidget* window, const QWidget* over, bool centreOnScreen = false);

} // namespace varentis
