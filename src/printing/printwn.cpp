#include "printing/printwn.h"

#include "widgets/DialogForm.h"

#include <QCheckBox>

namespace varentis {

TPrintRep::TPrintRep(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPrintRep", "Print report");
    CheckBox1 = form.check("CheckBox1", "Graph", true);
    CheckBox2 = form.check("CheckBox2", "Valves", true);
    CheckBox3 = form.check("CheckBox3", "Info", true);
    CheckBox4 = form.check("CheckBox4", "Valve text", true);
    CheckBox5 = form.check("CheckBox5", "Grid", true);
    form.okCancel();
}

} // namespace varentis
