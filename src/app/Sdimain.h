#pragma once

#include "app/DocumentController.h"
#include "app/MainDocumentWindow.h"
#include "app/MainFormLayout.h"
#include "app/MainPlotSurface.h"
#include "app/MainRunView.h"
#include "app/MainRunWindow.h"
#include "app/PlotView.h"
#include "app/WidgetControls.h"
#include "documents/SettingsFile.h"
#include "hardware/TDevice.h"
#include "measurement/Acquisition.h"
#include "measurement/PointStore.h"
#include "printing/Report.h"

#include <QMainWindow>
#include <QTimer>

#include <limits>
#include <memory>

class QPrinter;

namespace varentis {

class AppWindows;
class TVicPort;

// The main window. Its controls and their layout are MainFormLayout's; what a run shows is
// the run view's, the plot the plot view's, the file and its questions the document
// controller's. Each of those reaches the window only through a small interface that an
// adapter owned here implements (MainRunWindow, MainPlotSurface, MainDocumentWindow) and the
// controls by name. The window owns them, the point store and the acquisition, and keeps
// every handler of the original form, forwarding where the work moved; the run commands are
// in RunCommands.cpp, the printing commands in PrintCommand.cpp.
class TSDIAppForm : public QMainWindow, public MainFormLayout {
    Q_OBJECT
public:
    // Reads its settings from the settings file at iniPath and opens the port driver.
    explicit TSDIAppForm(const QString& iniPath, QWidget* parent = nullptr);
    ~TSDIAppForm() override;

    // The other windows exist (the driver among them): their controls join the registry
    // and the acquisition is built on the driver.
    void attachWindows(AppWindows& windows, Acquisition::Mode mode);

    // Commands.
    void BitBtn1Click(); // Run
    void BitBtn2Click(); // Pause
    void BitBtn3Click(); // Stop
    void PMTdetectorsetup1Click(); // stops the run, then the PMT detector setup
    void FormKeyDown(int key);
    void Redraw();
    void XYFactors() { plot_.XYFactors(); }
    void DrawGraph();
    void DrawPoint(double time, double signal, double current) {
        plot_.DrawPoint(time, signal, current);
    }
    // CheckBox3MouseUp .. CheckBox14MouseUp: the valve box V1 .. V12 (valve 0 .. 11) switches
    // its valve at once to the box's state, whether a run is going or not.
    void ValveBoxMouseUp(int valve);
    void SetPeriod();
    void Edit10Change();
    // Parses the potential program into PotentialSchedule and asks for a redraw.
    void PotentialEditChange();
    // The potential window: the program and the two graph boxes go in and come back.
    void Button1Click();
    void Edit9Change();
    // One tick of the acquisition timer, when the run is driven tick by tick (tests); the
    // program's ticks come from the acquisition thread.
    void Timer1Timer();
    void Timer2Timer();
    void FileNew1Execute() { documents_.FileNew1Execute(); }
    void FileOpen1Execute() { documents_.FileOpen1Execute(); }
    void FileSave1Execute() { documents_.FileSave1Execute(); }
    void FileExit1Execute();
    void Helpindex1Click();
    void HelpAbout1Execute();
    void Graphsetup1Click();
    void Viewdatatext1Click();
    // File > Print and the tool button: the print report dialog, then the report on the
    // printer chosen there (or a PDF file) with the progress box.
    void Print1Click();
    // File > Printer setup: the platform's printer dialog.
    void Printersetup1Click();
    // The report of the points held now to a PDF file, without any dialog (command line):
    // the message of a failure, or empty.
    QString printReportToPdf(const QString& path);
    // What the report shows and how, as the settings stand now.
    PageSetup pageSetup() const;
    ReportContent reportContent() const;
    // The page setup values that live outside the dialogs' controls.
    PageSetupValues& pageValues() { return page_; }
    // The printer the report goes to; made at its first use with the stored orientation.
    QPrinter& printer();

    // The mouse on the plot (PaintBox2 pixels) and the zero line from the read-out; the work
    // is the plot view's.
    void PaintBox2MouseDown(Qt::MouseButton button, int x, int y) {
        plot_.PaintBox2MouseDown(button, x, y, runState());
    }
    void PaintBox2MouseMove(int x, int y) { plot_.PaintBox2MouseMove(x, y); }
    void PaintBox2MouseUp(int x, int y) { plot_.PaintBox2MouseUp(x, y); }
    void PaintBox2DblClick();
    void Panel7DblClick() { plot_.Panel7DblClick(); }
    void Setzeroline1Click() { Panel7DblClick(); }
    bool Zoomed() const { return plot_.Zoomed; }
    const AxisTexts& SavedAxisTexts() const { return plot_.SavedAxisTexts; }

    // Without dialogs (command line, tests): the message of a failure, or empty.
    QString saveToFile(const QString& path) { return documents_.saveToFile(path); }
    QString openFile(const QString& path) { return documents_.openFile(path); }
    // Shown in the standard error box, or on stderr when quietErrors is set.
    void showError(const QString& message);

    // The close question is skipped (unattended runs that were told to quit).
    bool askOnClose = true;
    // Shows errors and failed device tests on stderr instead of message boxes and the
    // device test dialog (unattended runs).
    bool quietErrors = false;
    // The settings could not be written at close (an unattended run then fails).
    bool settingsWriteFailed = false;
    // An unattended run stops once this much measurement time is stored (s).
    double StopAfterSeconds = std::numeric_limits<double>::infinity();

    QString iniPath() const { return iniPath_; }
    TDevice& device() { return *device_; }
    Acquisition& acquisition() { return *acquisition_; }
    PointStore& store() { return store_; }
    WidgetControls& controls() { return controls_; }
    DocumentController& documents() { return documents_; }
    PlotView& plot() { return plot_; }
    MainRunView& runView() { return runView_; }
    RunState runState() const { return runView_.state(); }
    // The acquisition timer: on from the start of a run to its Stop, pauses included.
    bool acquisitionTimerEnabled() const { return runView_.state() != RunState::Stopped; }
    double periodSeconds() const { return periodSeconds_; }
    double cycleTimeSeconds() const { return cycleTime_; }
    QTimer& timer2() { return Timer2; }
    int redrawCount() const { return plot_.redrawCount(); }

    // The settings a run takes, as they stand now.
    RunOptions runOptions() const;
    // Takes what the run showed since the last call into the window, in order.
    void drainRunEvents();

    QTimer Timer2;

signals:
    // The window has closed: settings written, port closed. The program ends here, even when
    // a window of its own (the pump control) is still open.
    void formClosed();
    // The run reported a new state (after the window shows it).
    void runStateReported(RunState state);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectHandlers();
    // The menu commands and tool buttons; the fields and boxes whose change reaches the plot
    // or the run; the mouse on the plot and its read-out.
    void connectCommands();
    void connectSettingFields();
    void connectPlotMouse();
    void FormCreate();
    void FormActivate();
    void FormClose();
    void registerControls();
    // Identifies the modules; on failure shows the device test. True to go on.
    bool confirmDevices();
    // The device test must not clear the timer of a run in progress.
    TDevice::TimerCheck timerCheck() const;
    // Hands the settings to a run in progress, for its next tick.
    void pushRunOptions();
    RunScale runScale() const;

    QString iniPath_;
    WidgetControls controls_;
    PointStore store_;
    MainPlotSurface plotSurface_{*this};
    PlotView plot_;
    MainRunWindow runWindow_{*this};
    MainRunView runView_;
    MainDocumentWindow documentWindow_{*this};
    DocumentController documents_;
    PageSetupValues page_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<TVicPort> port_;
    AppWindows* windows_ = nullptr;
    TDevice* device_ = nullptr;
    std::shared_ptr<const RunPrograms> programs_ = std::make_shared<const RunPrograms>();
    PotentialSchedule potentialSchedule_;
    double periodSeconds_ = 0.1;
    double cycleTime_ = 30.0;
    double pmtVoltage_ = 100.0;
    bool activated_ = false;
    bool draining_ = false;
    // Last: its thread ends before anything it reaches is destroyed.
    std::unique_ptr<Acquisition> acquisition_;
};

} // namespace varentis
