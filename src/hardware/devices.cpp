#include "hardware/devices.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace varentis {

TDeviceDialog::TDeviceDialog(PortBackend& bus, QWidget* parent) : QDialog(parent), TDevice(bus) {
    setObjectName("TDevice");
    setWindowTitle("Device test");
    auto* l = new QVBoxLayout(this);
    for (int i = 0; i < 5; ++i) {
        lines_[i] = new QLabel(this);
        lines_[i]->setObjectName(QString("ModuleLine%1").arg(i + 1));
        l->addWidget(lines_[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    l->addWidget(buttons);
}

void TDeviceDialog::showEvent(QShowEvent* event) {
    const auto results = deviceTestLines(LastDeviceTest);
    for (std::size_t i = 0; i < results.size(); ++i)
        lines_[i]->setText(QString::fromUtf8(results[i].module.data(),
                                             static_cast<qsizetype>(results[i].module.size())) +
                           ": " +
                           QString::fromUtf8(results[i].result.data(),
                                             static_cast<qsizetype>(results[i].result.size())));
    QDialog::showEvent(event);
}

} // namespace varentis
