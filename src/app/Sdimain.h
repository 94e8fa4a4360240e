#pragma once

#include "app/WidgetControls.h"
#include "documents/DataFile.h"
#include "documents/SettingsFile.h"
#include "hardware/TDevice.h"
#include "graph/AxisScaling.h"
#include "graph/GraphScale.h"
#include "graph/SignalGraph.h"
#include "measurement/PointStore.h"
#include "measurement/RunControl.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace varentis {

class PaintBox;
class TDevice;
class TVicPort;
class AppWindows;

// The main window: settings panel on the left, read-outs and graph on the right, the
// command table in menus and toolbar. It owns the run, the point store, the graph scale
// and the document state, and lends the run its controls through RunHost.
class TSDIAppForm : public QMainWindow, public RunHost, private DataFileReadHooks {
    Q_OBJECT
public:
    // Reads its settings from the settings file at iniPath and opens the port driver.
    explicit TSDIAppForm(const QString& iniPath, AppWindows* windows = nullptr,
                         QWidget* parent = nullptr);

    // The module driver is created after the main window; the run needs it.
    void attachDevice(TDevice& device);
    ~TSDIAppForm() override;

    // Commands.
    void BitBtn1Click(); // Run
    void BitBtn2Click(); // Pause
    void BitBtn3Click(); // Stop
    void FormKeyDown(int key);
    void Redraw();
    // Renews the graph scale from the axis settings and the plot size; sets the axis captions.
    void XYFactors();
    void DrawGraph();
    void DrawPoint(double time, double signal, double current);
    void SetPeriod();
    void Edit10Change();
    void Edit9Change();
    void Timer1Timer();
    void Timer2Timer();
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileExit1Execute();
    void Helpindex1Click();
    void HelpAbout1Execute();

    // Without dialogs (command line, tests): the message of a failure, or empty.
    QString saveToFile(const QString& path);
    QString openFile(const QString& path);
    // The close question is skipped (unattended runs that were told to quit).
    bool askOnClose = true;
    // Shows errors and failed device tests on stderr instead of message boxes and the
    // device test dialog (unattended runs).
    bool quietErrors = false;
    // The settings could not be written at close (an unattended run then fails).
    bool settingsWriteFailed = false;

    QString iniPath() const { return iniPath_; }
    TDevice* device() { return device_; }

    RunControl& run() { return *run_; }
    PointStore& store() { return store_; }
    RunState runState() const { return run_ ? run_->State : RunState::Stopped; }
    QTimer& timer1() { return Timer1; }
    QTimer& timer2() { return Timer2; }
    int redrawCount() const { return redrawCount_; }

    bool DataSaved = true;
    QString CurrentFileName;

    // RunHost
    bool confirmDevices() override;
    bool resolveUnsavedData() override;
    bool usingPotentiostat() override;
    bool usingValves() override;
    bool usingPump() override;
    bool maxTimeStop() override;
    bool detectorOffDuringPause() override;
    double pmtVoltage() override;
    bool threeElectrodes() override;
    RunScale runScale() override;
    void showRunState(RunState state) override;
    void startNewDocument() override;
    void clearReadouts() override;
    void showPoint(const PointReadout& readout, double rawSignal) override;
    void showLiveSignal(const std::string& text, double rawSignal) override;
    void fullRedraw() override;
    void resetLivePlot() override;
    void drawPoint(double time, double signal, double current) override;
    void setValves(std::uint16_t mask) override;
    void setAcquisitionTimer(bool enabled) override;
    void potentiostatOn(bool threeElectrodes, double current, double potential) override;
    void potentiostatSetPotential(double potential) override;
    void potentiostatOff() override;
    double potentiostatCurrent() override;

    // The raw signal behind the Panel7 value.
    double ReadoutSignal = 0.0;
    bool Zoomed = false;

signals:
    // The window has closed: settings written, port closed. The program ends here, even when
    // a window of its own (the pump control) is still open.
    void formClosed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildLeftPanel(QWidget* panel);
    void buildRightPanel(QWidget* panel);
    void layoutRightPanel();
    void placePlot();
    void FormCreate();
    void FormActivate();
    void FormClose();
    void registerControls();
    bool saveDocument();
    // Open's steps between the data file reader's passes.
    void applyPeriod() override;
    ColumnFactors recomputeScaling() override;
    // The device test must not clear the timer of a run in progress.
    TDevice::TimerCheck timerCheck() const;
    void showError(const QString& message);
    ScaleSettings scaleSettings() const;
    PlotContent plotContent() const;
    void setDocumentCaption();

    TDevice* device_ = nullptr;
    AppWindows* windows_;
    PointStore store_;
    std::unique_ptr<RunControl> run_;
    QString iniPath_;
    WidgetControls controls_;
    GraphColors colors_;
    PageSetupValues page_;
    GraphScale scale_;
    std::unique_ptr<TVicPort> port_;
    QString openDir_, saveName_;
    double periodSeconds_ = 0.1;
    double cycleTime_ = 30.0;
    double pmtVoltage_ = 100.0;
    bool activated_ = false;
    int redrawCount_ = 0;

public:
    // Controls, by their designer names.
    QLineEdit *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4;
    QLabel* Label11;
    QPushButton *PotentiostatButton, *PumpButton;
    QCheckBox *UsingPotentiostat, *ShowPotential, *DrawCurrent;
    QCheckBox *ShowPump, *UsingPump, *ShowValves, *UsingValves;
    QLineEdit *PotentialEdit, *PumpEdit;
    QPlainTextEdit *Memo1, *Memo2;
    QLabel *Panel5, *Panel6, *Panel7, *Panel8, *Panel9;
    QLabel *Label5, *Label6, *Label7, *Label8, *Label9;
    PaintBox *PaintBox1, *PaintBox2, *PaintBox3;
    QCheckBox* ValveBoxes[12];
    QWidget *Panel1, *Panel2;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;
    QAction *FileNew1, *FileOpen1, *FileSave1, *FileSaveAs1, *FilePrinterSetup1, *FilePrint1,
        *FileExit1;
    QAction *EditCut1, *EditCopy1, *EditPaste1, *Viewdatatext1;
    QAction *Run1, *Pause1, *Stop1, *Setzeroline1;
    QAction *Stopifmaxtime1, *Changerange1, *Detectoroff;
    QAction *Graphsetup1, *PMTdetectorsetup1, *Potentiostatsetup1, *Devicetest1;
    QAction *Helpindex1, *HelpAbout1;
    QTimer Timer1, Timer2;
};

} // namespace varentis
