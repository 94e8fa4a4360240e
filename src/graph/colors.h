#pragma once

#include "graph/GraphColors.h"

#include <QDialog>

namespace varentis {

// The colours of the screen graphs.
class TGColor : public QDialog {
    Q_OBJECT
public:
    explicit TGColor(QWidget* parent = nullptr);

    GraphColors Colors;
};

} // namespace varentis
