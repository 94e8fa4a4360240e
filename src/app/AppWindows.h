#pragma once

#include "hardware/TDevice.h"

#include <QStringList>

class QDialog;
class QWidget;

namespace varentis {

class TAboutBox;
class TPrintRep;
class TPrintBox1;
class TForm2;
class TViewdata;
class TPotential;
class TGColor;
class TDeviceDialog;
class TPMTSetup;
class TPump;

// The secondary windows, created once after the main window in a fixed order and kept
// until the end. The module driver is not among them: they are given it.
class AppWindows {
public:
    AppWindows() = default;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Creates windows 2 to 11; the main window (1) exists already. The device test and the
    // two setup windows work on `moduleDriver`, which must outlive them.
    void create(QWidget* mainWindow, TDevice& moduleDriver);

    QDialog* deviceDialog() const;
    // The device test a run start or resume asks for: the device test window's, which
    // shows the results and lets "Ignore error and continue" pass a missing module.
    bool deviceTest(TDevice::TimerCheck timer) const;
    bool threeElectrodes() const;

    TAboutBox* about = nullptr;
    TPrintRep* printRep = nullptr;
    TPrintBox1* printBox = nullptr;
    TForm2* margins = nullptr;
    TViewdata* viewData = nullptr;
    TPotential* potential = nullptr;
    TGColor* colors = nullptr;
    TDeviceDialog* device = nullptr;
    TPMTSetup* pmtSetup = nullptr;
    TPump* pump = nullptr;
    TDevice* driver = nullptr;

    // Captions in the order the windows were created, main window first.
    QStringList creationOrder;
};

} // namespace varentis
