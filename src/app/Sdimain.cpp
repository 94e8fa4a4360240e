#include "app/Sdimain.h"

#include "app/About.h"
#include "app/AppWindows.h"
#include "app/ScreenPlacement.h"
#include "core/NumberText.h"
#include "core/Units.h"
#include "documents/DataText.h"
#include "documents/JournalFiles.h"
#include "graph/colors.h"
#include "documents/viewdta.h"
#include "hardware/TVicPort.h"
#include "hardware/devices.h"
#include "hardware/phsetup.h"
#include "hardware/pumps.h"
#include "measurement/PotentialProgram.h"
#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"
#include "measurement/potentials.h"
#include "printing/margins.h"
#include "printing/printwn.h"
#include "widgets/PaintBox.h"
#include "widgets/RadioGroup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace varentis {

namespace {
double fieldValue(const QLineEdit* edit) { return readNumber(edit->text().toStdString()); }
// The shortest period a run uses, whatever the field says: a period of a nanosecond
// would take points without end and never let a run reach its stop.
constexpr double kShortestPeriodSeconds = 0.001;
} // namespace

TSDIAppForm::TSDIAppForm(const QString& iniPath, QWidget* parent)
    : QMainWindow(parent), iniPath_(iniPath), plot_(plotSurface_, controls_, store_),
      runView_(runWindow_, controls_, store_, plot_),
      documents_(documentWindow_,
                 journalFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
    build(*this);
    PaintBox1->onPaint = [this](QPainter& painter) {
        // The frame: window-face colour and a black border; then a full redraw follows.
        const QRect r = PaintBox1->rect();
        painter.fillRect(r, palette().color(QPalette::Button));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        Redraw();
    };

    Timer2.setObjectName("Timer2");
    Timer2.setInterval(100);
    Timer2.setSingleShot(true);
    Timer2.setTimerType(Qt::PreciseTimer);

    runView_.stateReported = [this](RunState state) { emit runStateReported(state); };
    runView_.pointStored = [this] { documents_.DataSaved = false; };
    runView_.showRunState(RunState::Stopped);
    connectHandlers();
    FormCreate();
}

TSDIAppForm::~TSDIAppForm() {
    // The acquisition thread ends first: it reaches the driver, a child of this window.
    acquisition_.reset();
}

void TSDIAppForm::connectHandlers() {
    connect(&Timer2, &QTimer::timeout, this, &TSDIAppForm::Timer2Timer);
    connectCommands();
    connectSettingFields();
    connectPlotMouse();
    for (int v = 0; v < 12; ++v)
        connect(ValveBoxes[v], &QCheckBox::clicked, this, [this, v] { ValveBoxMouseUp(v); });
}

void TSDIAppForm::connectCommands() {
    connect(FileNew1, &QAction::triggered, this, &TSDIAppForm::FileNew1Execute);
    connect(FileOpen1, &QAction::triggered, this, &TSDIAppForm::FileOpen1Execute);
    connect(FileSave1, &QAction::triggered, this, &TSDIAppForm::FileSave1Execute);
    connect(FileSaveAs1, &QAction::triggered, this, &TSDIAppForm::FileSave1Execute);
    connect(FileExit1, &QAction::triggered, this, &TSDIAppForm::FileExit1Execute);
    connect(Helpindex1, &QAction::triggered, this, &TSDIAppForm::Helpindex1Click);
    connect(HelpAbout1, &QAction::triggered, this, &TSDIAppForm::HelpAbout1Execute);
    connect(Run1, &QAction::triggered, this, &TSDIAppForm::BitBtn1Click);
    connect(Pause1, &QAction::triggered, this, &TSDIAppForm::BitBtn2Click);
    connect(Stop1, &QAction::triggered, this, &TSDIAppForm::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TSDIAppForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TSDIAppForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TSDIAppForm::BitBtn3Click);

    // Platform edit commands on the focused text field.
    auto editCommand = [this](QAction* action, const char* slot) {
        connect(action, &QAction::triggered, this, [slot] {
            QWidget* w = QApplication::focusWidget();
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
                QMetaObject::invokeMethod(w, slot);
        });
    };
    editCommand(EditCut1, "cut");
    editCommand(EditCopy1, "copy");
    editCommand(EditPaste1, "paste");

    connect(Setzeroline1, &QAction::triggered, this, &TSDIAppForm::Setzeroline1Click);
    connect(Graphsetup1, &QAction::triggered, this, &TSDIAppForm::Graphsetup1Click);
    connect(Viewdatatext1, &QAction::triggered, this, &TSDIAppForm::Viewdatatext1Click);
    connect(Print1, &QAction::triggered, this, &TSDIAppForm::Print1Click);
    connect(Printersetup1, &QAction::triggered, this, &TSDIAppForm::Printersetup1Click);
}

void TSDIAppForm::connectSettingFields() {
    connect(Edit6, &QLineEdit::textChanged, this, &TSDIAppForm::SetPeriod);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TSDIAppForm::SetPeriod);
    connect(Edit10, &QLineEdit::textChanged, this, &TSDIAppForm::Edit10Change);
    connect(Edit9, &QLineEdit::textChanged, this, &TSDIAppForm::Edit9Change);
    for (QLineEdit* e : {Edit2, Edit3, Edit4, Edit5, Edit7, Edit8, PumpEdit})
        connect(e, &QLineEdit::textChanged, this, &TSDIAppForm::Redraw);
    connect(PotentialEdit, &QLineEdit::textChanged, this, &TSDIAppForm::PotentialEditChange);
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox4})
        connect(c, &QComboBox::currentIndexChanged, this, &TSDIAppForm::Redraw);
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TSDIAppForm::Redraw);
    for (QCheckBox* c : {ShowValves, ShowPump, ShowPotential, DrawCurrent})
        connect(c, &QCheckBox::toggled, this, &TSDIAppForm::Redraw);
    // A run reads these once per tick; a change reaches it before the next one.
    for (QCheckBox* c : {UsingPotentiostat, UsingValves, UsingPump})
        connect(c, &QCheckBox::toggled, this, &TSDIAppForm::pushRunOptions);
    for (QAction* a : {Stopifmaxtime1, Detectoroff})
        connect(a, &QAction::toggled, this, &TSDIAppForm::pushRunOptions);
}

void TSDIAppForm::connectPlotMouse() {
    // The mouse on the plot. The frame's release ends a drag too, in the plot's pixels.
    auto at = [](QMouseEvent* e) { return e->position().toPoint(); };
    connect(PaintBox2, &PaintBox::mousePressed, this, [this, at](QMouseEvent* e) {
        PaintBox2MouseDown(e->button(), at(e).x(), at(e).y());
    });
    connect(PaintBox2, &PaintBox::mouseMoved, this,
            [this, at](QMouseEvent* e) { PaintBox2MouseMove(at(e).x(), at(e).y()); });
    connect(PaintBox2, &PaintBox::mouseReleased, this,
            [this, at](QMouseEvent* e) { PaintBox2MouseUp(at(e).x(), at(e).y()); });
    connect(PaintBox1, &PaintBox::mouseReleased, this, [this, at](QMouseEvent* e) {
        const QPoint p = PaintBox2->mapFrom(PaintBox1, at(e));
        PaintBox2MouseUp(p.x(), p.y());
    });
    connect(PaintBox2, &PaintBox::doubleClicked, this, &TSDIAppForm::PaintBox2DblClick);
    Panel7->installEventFilter(this);
}

void TSDIAppForm::FormCreate() {
    registerControls();
    if (!iniPath_.isEmpty()) {
        const ProfileStore store = readSettingsFile(iniPath_.toStdString());
        loadCreationSettings(store, controls_);
    }
    Label11->setText(ComboBox1->currentText());
    port_ = std::make_unique<TVicPort>();
    port_->Open(); // a port that cannot be opened shows up in the device test
}

void TSDIAppForm::registerControls() {
    const QList<QObject*> all{Edit2,     Edit3,     Edit4,     Edit5,     Edit6,
                              Edit7,     Edit8,     Edit9,     Edit10,    ComboBox1,
                              ComboBox2, ComboBox3, ComboBox4, Label11,   UsingPotentiostat,
                              ShowPotential, DrawCurrent, ShowPump, UsingPump, ShowValves,
                              UsingValves, PotentialEdit, PumpEdit, Memo1, Memo2,
                              Panel5,    Panel6,    Panel7,    Panel8,    Panel9};
    for (QObject* o : all) controls_.add(o->objectName(), o);
    for (QAction* a : {Stopifmaxtime1, Changerange1, Detectoroff}) controls_.add(a->objectName(), a);
}

void TSDIAppForm::attachWindows(AppWindows& windows, Acquisition::Mode mode) {
    windows_ = &windows;
    device_ = windows.driver;
    windows.viewData->IniPath = iniPath_;
    // Controls of the other windows go by "TClass.Name".
    const std::pair<QWidget*, const char*> owners[] = {
        {windows.potential, "TPotential"}, {windows.pmtSetup, "TPMTSetup"},
        {windows.pump, "TPump"},           {windows.margins, "TForm2"},
        {windows.printRep, "TPrintRep"},   {windows.viewData, "TViewdata"}};
    for (auto [w, cls] : owners) {
        for (QWidget* child : w->findChildren<QWidget*>())
            if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
                controls_.add(QString(cls) + "." + child->objectName(), child);
    }
    connect(windows.potential, &TPotential::axesChanged, this, &TSDIAppForm::Redraw);
    connect(windows.potential->Electrodes, &RadioGroup::itemIndexChanged, this,
            &TSDIAppForm::pushRunOptions);
    connect(Button1, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);
    connect(Potentiostatsetup1, &QAction::triggered, this, &TSDIAppForm::Button1Click);
    connect(PumpButton, &QPushButton::clicked, windows.pump, [pump = windows.pump] {
        pump->show();
        pump->raise();
        pump->activateWindow();
    });
    connect(PMTdetectorsetup1, &QAction::triggered, this, &TSDIAppForm::PMTdetectorsetup1Click);
    connect(Devicetest1, &QAction::triggered, this, [this] {
        windows_->deviceTest(timerCheck());
        windows_->deviceDialog()->exec();
    });

    acquisition_ = std::make_unique<Acquisition>(*device_, mode);
    if (mode == Acquisition::Mode::Thread) {
        // Told on the acquisition thread; the events are taken on this one.
        acquisition_->events().setNotify([this] {
            QMetaObject::invokeMethod(this, &TSDIAppForm::drainRunEvents, Qt::QueuedConnection);
        });
    }
}

void TSDIAppForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (centralWidget()) layoutPanels(centralWidget());
}

void TSDIAppForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!activated_) FormActivate();
}

void TSDIAppForm::FormActivate() {
    if (activated_) return;
    activated_ = true;
    if (!iniPath_.isEmpty()) {
        const ProfileStore store = readSettingsFile(iniPath_.toStdString());
        auto zero = device_->CurrentZeroText(), factor = device_->CurrentFactorText();
        SettingsTargets targets{controls_, zero, factor, plot_.Colors, page_};
        // The texts of "Max voltage" and "Voltage factor" reach the driver through the
        // setup dialog's change handlers.
        loadActivationSettings(store, targets);
        device_->SetCurrentTexts(zero, factor);
    }
    device_->PMTCalculateCFactors();
    SetPeriod();
    // The program text and the cycle time may both have come with the settings unchanged,
    // which fires no change handler.
    potentialSchedule_ = parsePotentialProgram(PotentialEdit->text().toStdString(), cycleTime_);
    DrawGraph();
    plot_.resetCursor();
    runView_.showRunState(RunState::Stopped);
    documents_.reset();
}

void TSDIAppForm::FormKeyDown(int key) {
    if (key == Qt::Key_Escape && BitBtn3->isEnabled()) BitBtn3Click();
}

void TSDIAppForm::keyPressEvent(QKeyEvent* event) {
    FormKeyDown(event->key());
    QMainWindow::keyPressEvent(event);
}

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel7 && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Panel7DblClick();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && edit != Edit8 && edit != Edit9 && edit != PotentialEdit && edit != PumpEdit)
            FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSDIAppForm::SetPeriod() {
    double period = fieldValue(Edit6) * unitFactor(PeriodUnits, ComboBox3->currentIndex(), 0);
    if (!(period > 0.0)) period = 1.0;
    periodSeconds_ = std::max(period, kShortestPeriodSeconds); // the text stays as typed
    pushRunOptions();
}

void TSDIAppForm::Edit10Change() {
    const double cycle = fieldValue(Edit10);
    if (cycle > 0.0) cycleTime_ = cycle;
    pushRunOptions();
    // Items without a time end at the cycle time: the program follows it.
    PotentialEditChange();
}

void TSDIAppForm::PotentialEditChange() {
    potentialSchedule_ = parsePotentialProgram(PotentialEdit->text().toStdString(), cycleTime_);
    Redraw();
}

void TSDIAppForm::Button1Click() {
    TPotential& dialog = *windows_->potential;
    dialog.ShowPotential->setChecked(ShowPotential->isChecked());
    dialog.DrawCurrent->setChecked(DrawCurrent->isChecked());
    dialog.PotentialEdit->setText(PotentialEdit->text());
    dialog.exec();
    // Taken back however the dialog was closed, its close box included.
    ShowPotential->setChecked(dialog.ShowPotential->isChecked());
    DrawCurrent->setChecked(dialog.DrawCurrent->isChecked());
    PotentialEdit->setText(dialog.PotentialEdit->text());
}

void TSDIAppForm::Edit9Change() {
    pmtVoltage_ = fieldValue(Edit9);
    if (runState() != RunState::Stopped) device_->PMTSetVoltage(pmtVoltage_);
    pushRunOptions();
}

void TSDIAppForm::Redraw() {
    if (!Timer2.isActive()) Timer2.start();
}

void TSDIAppForm::Timer2Timer() {
    Timer2.stop();
    DrawGraph();
}

void TSDIAppForm::DrawGraph() {
    // The programs are parsed afresh at every full redraw, also during a run: the run takes
    // them at its next tick. The potential program was parsed when its text or the cycle time
    // changed.
    auto programs = std::make_shared<RunPrograms>();
    programs->Pump = parsePumpProgram(PumpEdit->text().toStdString(), cycleTime_);
    programs->Potential = potentialSchedule_;
    auto valves = std::make_shared<const ValveProgram>(
        parseValveProgram(Memo2->toPlainText().toStdString(), cycleTime_));
    programs->Valves = valves->Schedule;
    programs_ = std::move(programs);
    plot_.DrawGraph(programs_, std::move(valves), cycleTime_, periodSeconds_);
    pushRunOptions();
}

void TSDIAppForm::ValveBoxMouseUp(int valve) {
    // One driver operation: atomic on the bus, also while a run switches valves. The next
    // programmed step sets all valves again.
    device_->SetValve(static_cast<std::uint8_t>(valve), ValveBoxes[valve]->isChecked());
}

// ---- Shell ----------------------------------------------------------------------------

void TSDIAppForm::showError(const QString& message) {
    if (quietErrors) std::fprintf(stderr, "varentis: %s\n", message.toLocal8Bit().constData());
    else QMessageBox::critical(this, windowTitle(), message);
}

void TSDIAppForm::FileExit1Execute() { close(); }

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    // Every way of closing asks about unsaved data; Cancel keeps the program (and any
    // measurement) going.
    if (askOnClose && !documents_.resolveUnsavedData()) {
        event->ignore();
        return;
    }
    // Unsaved points that nobody was asked about (an unattended run told to quit without
    // saving) stay in the run journal, offered at the next start.
    const bool keepJournal = !askOnClose && !documents_.DataSaved;
    FormClose();
    if (!keepJournal) documents_.discardJournal();
    event->accept();
    emit formClosed();
}

void TSDIAppForm::FormClose() {
    BitBtn3Click(); // nothing to do when no run is in progress
    // A zoomed view is never stored as the axis setting.
    plot_.unzoom();
    if (!iniPath_.isEmpty()) {
        ProfileStore store = readSettingsFile(iniPath_.toStdString());
        auto zero = device_->CurrentZeroText(), factor = device_->CurrentFactorText();
        SettingsTargets targets{controls_, zero, factor, plot_.Colors, page_};
        storeSettings(store, targets);
        if (auto error = writeSettingsFile(iniPath_.toStdString(), store)) {
            settingsWriteFailed = true;
            showError(QString::fromStdString(*error));
        }
    }
    if (port_) {
        port_->Close();
        port_.reset();
    }
}

void TSDIAppForm::Helpindex1Click() {
    const QString path = QDir(QApplication::applicationDirPath()).filePath("quelm.hlp");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showError("Cannot open the help file " + path);
        return;
    }
    auto* help = findChild<QTextBrowser*>("HelpBrowser");
    if (!help) {
        help = new QTextBrowser(this);
        help->setObjectName("HelpBrowser");
        help->setWindowFlags(Qt::Window);
        help->setWindowTitle("Varentis Help");
        help->resize(640, 560);
    }
    help->setHtml(QString::fromUtf8(file.readAll()));
    if (!help->isVisible()) placeWindow(help, this); // over the main window, wholly on screen
    help->show();
    help->raise();
}

void TSDIAppForm::HelpAbout1Execute() {
    TAboutBox* about = windows_->about;
    about->adjustSize();
    placeWindow(about, this, true); // centred on the screen
    about->exec();
}

void TSDIAppForm::PaintBox2DblClick() {
    if (plot_.PaintBox2DblClick(runState())) DrawGraph();
}

void TSDIAppForm::Graphsetup1Click() {
    TGColor* dialog = windows_->colors;
    dialog->Colors = plot_.Colors;
    dialog->exec();
    plot_.Colors = dialog->Colors;
    // Whatever the dialog's result: the graph shows the colours as they are now.
    Redraw();
}

void TSDIAppForm::Viewdatatext1Click() {
    const GraphScale& scale = plot_.scale();
    DataTextColumns columns;
    columns.timeUnitFactor = scale.XUnitFactor;
    columns.signalUnitFactor = scale.YUnitFactor;
    columns.timeDecimals = timeColumnDecimals(scale.XDecimals, periodSeconds_, scale.XUnitFactor);
    columns.signalDecimals = scale.YDecimals;
    columns.timeUnit = ComboBox2->currentText().toStdString();
    columns.signalUnit = ComboBox1->currentText().toStdString();
    windows_->viewData->Viewdatatext1Click(dataText(store_, columns));
}

} // namespace varentis
