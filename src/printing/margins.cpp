#include "printing/margins.h"

#include "widgets/DialogForm.h"

namespace varentis {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TForm2", "Margins");
    Edit1 = form.edit("Edit1", "Left", "2.0");
    Edit2 = form.edit("Edit2", "Top", "2.0");
    Edit3 = form.edit("Edit3", "Right", "2.0");
    Edit4 = form.edit("Edit4", "Bottom", "2.0");
    form.okCancel();
}

} // namespace varentis
