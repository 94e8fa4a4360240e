#include "hardware/pumps.h"

#include "widgets/DialogForm.h"

namespace varentis {

TPump::TPump(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPump", "Pump direct control");
    Edit1 = form.edit("Edit1", "Speed 1", "20");
    Edit2 = form.edit("Edit2", "Speed 2", "50");
    Edit3 = form.edit("Edit3", "Speed 3", "-20");
    Edit4 = form.edit("Edit4", "Speed 4", "-50");
    form.okCancel();
}

} // namespace varentis
