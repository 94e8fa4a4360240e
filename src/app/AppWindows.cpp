#include "app/AppWindows.h"

#include "app/About.h"
#include "widgets/RadioGroup.h"
#include "documents/viewdta.h"
#include "graph/colors.h"
#include "hardware/devices.h"
#include "hardware/phsetup.h"
#include "hardware/pumps.h"
#include "measurement/potentials.h"
#include "printing/margins.h"
#include "printing/printbox.h"
#include "printing/printwn.h"

namespace varentis {

void AppWindows::create(QWidget* mainWindow, TDevice& moduleDriver) {
    driver = &moduleDriver;
    creationOrder = {mainWindow->windowTitle()};
    auto made = [this](QDialog* w) { creationOrder << w->windowTitle(); };
    made(about = new TAboutBox(mainWindow));
    made(printRep = new TPrintRep(mainWindow));
    made(printBox = new TPrintBox1(mainWindow));
    made(margins = new TForm2(mainWindow));
    printRep->Margins = margins; // its "&Margins" button opens it
    made(viewData = new TViewdata(mainWindow));
    made(potential = new TPotential(mainWindow));
    made(colors = new TGColor(mainWindow));
    made(device = new TDeviceDialog(*driver, mainWindow));
    made(pmtSetup = new TPMTSetup(*driver, mainWindow));
    made(pump = new TPump(*driver, mainWindow));
}

QDialog* AppWindows::deviceDialog() const { return device; }

bool AppWindows::deviceTest(TDevice::TimerCheck timer) const { return device->DeviceTest(timer); }

bool AppWindows::threeElectrodes() const {
    return potential && potential->Electrodes->itemIndex() == 1;
}

} // namespace varentis
