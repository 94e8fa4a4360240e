#include "graph/colors.h"

#include "widgets/DialogForm.h"

namespace varentis {

TGColor::TGColor(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TGColor", "Graph colors");
    form.okCancel();
}

} // namespace varentis
