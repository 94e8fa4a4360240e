#pragma once

#include <QStringList>

class QDialog;
class QWidget;

namespace varentis {

class PortBackend;
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
// until the end. The device test dialog is also the module driver.
class AppWindows {
public:
    AppWindows() = default;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Creates windows 2 to 11; the main window (1) exists already. The driver among them
    // works on `bus`.
    void create(QWidget* mainWindow, PortBackend& bus);

    QDialog* deviceDialog() const;
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

    // Captions in the order the windows were created, main window first.
    QStringList creationOrder;
};

} // namespace varentis
