#include "hardware/pumps.h"

#include "core/NumberText.h"
#include "hardware/TDevice.h"
#include "widgets/DialogForm.h"

#include <QLineEdit>
#include <QPushButton>

namespace varentis {

TPump::TPump(TDevice& device, QWidget* parent) : QDialog(parent), device_(device) {
    DialogForm form(this, "TPump", "Pump direct control");
    Panel1 = form.beginPanel("Panel1");
    auto speedRow = [&form](QLineEdit*& edit, const char* editName, const char* text,
                            QPushButton*& button, const char* buttonName, const char* caption) {
        edit = form.newEdit(editName, text);
        button = form.newButton(buttonName, caption);
        form.line(nullptr, {edit}, {button});
    };
    speedRow(Edit1, "Edit1", "20", Button2, "Button2", "Set speed 1");
    speedRow(Edit2, "Edit2", "50", Button3, "Button3", "Set speed 2");
    speedRow(Edit3, "Edit3", "-20", Button4, "Button4", "Set speed 3");
    speedRow(Edit4, "Edit4", "-50", Button5, "Button5", "Set speed 4");
    Button6 = form.button("Button6", "Stop pump");
    Button1 = form.closeButton("Button1", "&Close");

    connect(Button2, &QPushButton::clicked, this, &TPump::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TPump::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TPump::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TPump::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TPump::Button6Click);
}

void TPump::setSpeed(const QLineEdit* edit) {
    device_.PumpRun(readNumber(edit->text().toStdString()));
}

void TPump::Button2Click() { setSpeed(Edit1); }
void TPump::Button3Click() { setSpeed(Edit2); }
void TPump::Button4Click() { setSpeed(Edit3); }
void TPump::Button5Click() { setSpeed(Edit4); }
void TPump::Button6Click() { device_.PumpStop(); }

} // namespace varentis
