#include "app/MainRunWindow.h"

#include "app/MainFormLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace varentis {

void MainRunWindow::enableRunCommands(bool run, bool pause, bool stop, bool deviceTest) {
    form_.BitBtn1->setEnabled(run);
    form_.Run1->setEnabled(run);
    form_.BitBtn2->setEnabled(pause);
    form_.Pause1->setEnabled(pause);
    form_.BitBtn3->setEnabled(stop);
    form_.Stop1->setEnabled(stop);
    form_.Devicetest1->setEnabled(deviceTest);
}

void MainRunWindow::showValves(std::uint16_t mask) {
    for (int v = 0; v < 12; ++v) form_.ValveBoxes[v]->setChecked((mask >> v) & 1u);
}

} // namespace varentis
