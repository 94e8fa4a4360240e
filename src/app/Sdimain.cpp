#include "app/Sdimain.h"

#include "app/About.h"
#include "app/AppWindows.h"
#include "app/PaintBox.h"
#include "core/NumberText.h"
#include "core/Units.h"
#include "hardware/TDevice.h"
#include "hardware/TVicPort.h"
#include "documents/AtomicFile.h"
#include "documents/DataFile.h"
#include "graph/QPainterCanvas.h"
#include "graph/colors.h"
#include "hardware/pumps.h"
#include "measurement/potentials.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <cstdio>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace varentis {

namespace {

// A hint is "short|long": the short part is the tooltip, the long part the status text.
void setHint(QWidget* w, const QString& hint) {
    const int bar = hint.indexOf('|');
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void setHint(QAction* a, const QString& hint) {
    const int bar = hint.indexOf('|');
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

double fieldValue(const QLineEdit* edit) { return readNumber(edit->text().toStdString()); }

QLabel* makeReadout(const QString& name, const QString& hint, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (!hint.isEmpty()) setHint(panel, hint);
    return panel;
}

} // namespace

TSDIAppForm::TSDIAppForm(const QString& iniPath, AppWindows* windows, QWidget* parent)
    : QMainWindow(parent), windows_(windows), iniPath_(iniPath) {
    setObjectName("SDIAppForm");
    setWindowTitle("Varentis");

    buildActions();
    buildMenus();
    buildToolBar();

    auto* central = new QWidget(this);
    central->setObjectName("Central");
    Panel1 = new QWidget(central);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 201, 544);
    Panel2 = new QWidget(central);
    Panel2->setObjectName("Panel2");
    buildLeftPanel(Panel1);
    buildRightPanel(Panel2);
    setCentralWidget(central);
    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(true);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(110);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &TSDIAppForm::Timer1Timer);
    Timer2.setObjectName("Timer2");
    Timer2.setInterval(100);
    Timer2.setSingleShot(true);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &TSDIAppForm::Timer2Timer);

    // Client area of 784 x 544 below the menu bar.
    resize(784, 544 + menuBar()->sizeHint().height());
    setMinimumHeight(508);

    showRunState(RunState::Stopped);
    FormCreate();
}

TSDIAppForm::~TSDIAppForm() = default;

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

void TSDIAppForm::attachDevice(TDevice& device) {
    if (windows_) {
        // Controls of the other windows go by "TClass.Name".
        const std::pair<QWidget*, const char*> owners[] = {
            {(QWidget*)windows_->potential, "TPotential"}, {(QWidget*)windows_->pmtSetup, "TPMTSetup"},
            {(QWidget*)windows_->pump, "TPump"},           {(QWidget*)windows_->margins, "TForm2"},
            {(QWidget*)windows_->printRep, "TPrintRep"},   {(QWidget*)windows_->viewData, "TViewdata"}};
        for (auto [w, cls] : owners) {
            if (!w) continue;
            for (QWidget* child : w->findChildren<QWidget*>())
                if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
                    controls_.add(QString(cls) + "." + child->objectName(), child);
        }
        if (windows_->potential)
            connect(windows_->potential, &TPotential::axesChanged, this, &TSDIAppForm::Redraw);
        if (windows_->potential)
            connect(PotentiostatButton, &QPushButton::clicked, windows_->potential, &QDialog::exec);
        if (windows_->pump)
            connect(PumpButton, &QPushButton::clicked, windows_->pump, &QDialog::show);
        if (windows_->colors)
            connect(Graphsetup1, &QAction::triggered, windows_->colors, &QDialog::exec);
        connect(Devicetest1, &QAction::triggered, this, [this] {
            if (!device_ || !windows_->deviceDialog()) return;
            device_->DeviceTest(timerCheck());
            windows_->deviceDialog()->exec();
        });
    }
    device_ = &device;
    run_ = std::make_unique<RunControl>(device, *this, store_);
    run_->Period = periodSeconds_;
    run_->CycleTime = cycleTime_;
}

void TSDIAppForm::buildActions() {
    auto make = [this](QAction*& a, const char* name, const QString& text, const QString& hint,
                       const QKeySequence& key = {}) {
        a = new QAction(text, this);
        a->setObjectName(name);
        if (!hint.isEmpty()) setHint(a, hint);
        if (!key.isEmpty()) a->setShortcut(key);
        addAction(a);
    };
    make(FileNew1, "FileNew1", "&New", "New|Create a new file", QKeySequence("Ctrl+N"));
    make(FileOpen1, "FileOpen1", "&Open", "Open|Open a file", QKeySequence("Ctrl+O"));
    make(FileSave1, "FileSave1", "&Save", "Save|Save current file", QKeySequence("Ctrl+S"));
    make(FileSaveAs1, "FileSaveAs1", "Save &As...", "Save As|Save current file with different name");
    make(FilePrinterSetup1, "FilePrinterSetup1", "Pri&nter setup", "");
    make(FilePrint1, "FilePrint1", "&Print", "");
    make(FileExit1, "FileExit1", "E&xit", "Exit|Exit application");
    make(EditCut1, "EditCut1", "Cu&t", "Cut|Cuts the selection and puts it on the Clipboard",
         QKeySequence("Ctrl+X"));
    make(EditCopy1, "EditCopy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard",
         QKeySequence("Ctrl+C"));
    make(EditPaste1, "EditPaste1", "&Paste", "Paste|Inserts Clipboard contents",
         QKeySequence("Ctrl+V"));
    make(Viewdatatext1, "Viewdatatext1", "&View data text", "");
    make(Run1, "Run1", "&Run", "");
    make(Pause1, "Pause1", "&Pause", "");
    make(Stop1, "Stop1", "&Stop", "", QKeySequence(Qt::Key_Escape));
    make(Setzeroline1, "Setzeroline1", "Set &zero line", "", QKeySequence(Qt::Key_F12));
    make(Stopifmaxtime1, "Stopifmaxtime1", "&Stop if max time", "");
    make(Changerange1, "Changerange1", "&Change range during working", "");
    make(Detectoroff, "Detectoroff", "&Detector off during Pause", "");
    make(Graphsetup1, "Graphsetup1", "&Graph setup", "");
    make(PMTdetectorsetup1, "PMTdetectorsetup1", "&PMT detector setup", "");
    make(Potentiostatsetup1, "Potentiostatsetup1", "Po&tentiostat setup", "");
    make(Devicetest1, "Devicetest1", "&Device test", "");
    make(Helpindex1, "Helpindex1", "&Help index", "", QKeySequence(Qt::Key_F1));
    make(HelpAbout1, "HelpAbout1", "&About...",
         "About|Shows program information, version number and copyright");

    for (QAction* a : {Stopifmaxtime1, Changerange1, Detectoroff}) a->setCheckable(true);
    // The option items only toggle their own check mark; the run reads them when needed.

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
}

void TSDIAppForm::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("File1");
    file->menuAction()->setStatusTip("File related commands");
    file->addActions({FileNew1, FileOpen1, FileSave1, FileSaveAs1});
    file->addSeparator();
    file->addActions({FilePrinterSetup1, FilePrint1});
    file->addSeparator();
    file->addAction(FileExit1);

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("Edit1");
    edit->menuAction()->setStatusTip("Edit commands");
    edit->addActions({EditCut1, EditCopy1, EditPaste1});
    edit->addSeparator();
    edit->addAction(Viewdatatext1);

    QMenu* work = bar->addMenu("&Work");
    work->setObjectName("Work1");
    work->addActions({Run1, Pause1, Stop1});
    work->addSeparator();
    work->addAction(Setzeroline1);

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("Options1");
    options->addActions({Stopifmaxtime1, Changerange1, Detectoroff});

    QMenu* setup = bar->addMenu("&Setup");
    setup->setObjectName("Setup1");
    setup->addAction(Graphsetup1);
    setup->addSeparator();
    setup->addActions({PMTdetectorsetup1, Potentiostatsetup1});
    setup->addSeparator();
    setup->addAction(Devicetest1);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("Help1");
    help->menuAction()->setStatusTip("Help topics");
    help->addAction(Helpindex1);
    help->addAction(HelpAbout1);
}

void TSDIAppForm::buildToolBar() {
    QToolBar* tb = addToolBar("Toolbar");
    tb->setObjectName("ToolBar1");
    tb->setMovable(false);
    tb->setFixedHeight(30);
    tb->setIconSize(QSize(16, 16));
    auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
    FileNew1->setIcon(icon(QStyle::SP_FileIcon));
    FileOpen1->setIcon(icon(QStyle::SP_DialogOpenButton));
    FileSave1->setIcon(icon(QStyle::SP_DialogSaveButton));
    tb->addActions({FileNew1, FileOpen1, FileSave1});
    tb->addSeparator();
    EditCut1->setIcon(QIcon::fromTheme("edit-cut", icon(QStyle::SP_DialogDiscardButton)));
    EditCopy1->setIcon(QIcon::fromTheme("edit-copy", icon(QStyle::SP_FileDialogDetailedView)));
    EditPaste1->setIcon(QIcon::fromTheme("edit-paste", icon(QStyle::SP_FileDialogContentsView)));
    tb->addActions({EditCut1, EditCopy1, EditPaste1});
    tb->addSeparator();
    auto* print = new QToolButton(tb);
    print->setObjectName("PrintButton");
    print->setIcon(QIcon::fromTheme("document-print", icon(QStyle::SP_ComputerIcon)));
    setHint(print, "Printing of report from measurements");
    connect(print, &QToolButton::clicked, FilePrint1, &QAction::trigger);
    tb->addWidget(print);
    tb->addSeparator();

    auto button = [tb](QPushButton*& b, const char* name, const QString& text,
                       const QString& hint, QStyle::StandardPixmap pix) {
        b = new QPushButton(tb->style()->standardIcon(pix), text, tb);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, hint);
        tb->addWidget(b);
    };
    button(BitBtn1, "BitBtn1", "&Run", "Start of measurement", QStyle::SP_MediaPlay);
    button(BitBtn2, "BitBtn2", "&Pause", "Pause of measurement", QStyle::SP_MediaPause);
    button(BitBtn3, "BitBtn3", "&Stop", "Stop of measurement", QStyle::SP_MediaStop);
    connect(BitBtn1, &QPushButton::clicked, this, &TSDIAppForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TSDIAppForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TSDIAppForm::BitBtn3Click);
}

void TSDIAppForm::buildLeftPanel(QWidget* p) {
    // The settings panel is 201 pixels wide whatever the desktop's font: a compact font
    // keeps its captions whole.
    QFont compact = p->font();
    compact.setPointSizeF(8.0);
    p->setFont(compact);
    auto label = [p](const QString& text, int x, int y, int w = 60) {
        auto* l = new QLabel(text, p);
        l->setGeometry(x, y, w, 21);
        return l;
    };
    auto edit = [this, p](QLineEdit*& e, const char* name, const QString& text, int x, int y,
                          int w) {
        e = new QLineEdit(text, p);
        e->setObjectName(name);
        e->setGeometry(x, y, w, 21);
        e->installEventFilter(this);
    };
    auto combo = [p](QComboBox*& c, const char* name, const QStringList& items, int index, int x,
                     int y, int w) {
        c = new QComboBox(p);
        c->setObjectName(name);
        c->addItems(items);
        c->setCurrentIndex(index);
        c->setGeometry(x, y, w, 21);
    };
    auto check = [p](QCheckBox*& c, const char* name, const QString& text, bool on, int x, int y,
                     int w) {
        c = new QCheckBox(text, p);
        c->setObjectName(name);
        c->setChecked(on);
        c->setGeometry(x, y, w, 19);
    };
    const QStringList currentUnits{"pA", "nA", "uA", "mA", "A"};

    label("Period", 6, 6);
    edit(Edit6, "Edit6", "100", 82, 6, 54);
    combo(ComboBox3, "ComboBox3", {"ms", "s"}, 0, 140, 6, 55);
    label("Damping", 6, 31);
    edit(Edit7, "Edit7", "0", 82, 31, 54);
    combo(ComboBox4, "ComboBox4", {"%", "ms", "s"}, 0, 140, 31, 55);
    label("Cycle  time", 6, 56, 76);
    edit(Edit10, "Edit10", "30", 82, 56, 54);
    label("s", 141, 56, 20);
    label("PMT  voltage", 6, 81, 76);
    edit(Edit9, "Edit9", "100", 82, 81, 54);
    label("V", 142, 81, 20);
    label("Current  zero", 6, 106, 76);
    edit(Edit8, "Edit8", "0", 82, 106, 54);
    Label11 = label("nA", 142, 106, 40);
    Label11->setObjectName("Label11");

    auto* axisY = new QGroupBox("PMT current axis", p);
    axisY->setObjectName("GroupBox1");
    axisY->setGeometry(4, 130, 193, 48);
    edit(Edit2, "Edit2", "0", 10, 150, 55);
    edit(Edit3, "Edit3", "100", 70, 150, 55);
    combo(ComboBox1, "ComboBox1", currentUnits, 1, 130, 150, 60);
    setHint(Edit2, "Minimum of the PMT current axis");
    setHint(Edit3, "Maximum of the PMT current axis");

    auto* axisX = new QGroupBox("Time axis", p);
    axisX->setObjectName("GroupBox2");
    axisX->setGeometry(4, 180, 193, 48);
    edit(Edit4, "Edit4", "0", 10, 200, 55);
    edit(Edit5, "Edit5", "100", 70, 200, 55);
    combo(ComboBox2, "ComboBox2", {"s", "min", "h"}, 0, 130, 200, 60);
    setHint(Edit4, "Minimum of the time axis");
    setHint(Edit5, "Maximum of the time axis");

    auto* pot = new QGroupBox(p);
    pot->setObjectName("GroupBox3");
    pot->setGeometry(4, 232, 193, 92);
    PotentiostatButton = new QPushButton("Potentiostat", p);
    PotentiostatButton->setObjectName("PotentiostatButton");
    PotentiostatButton->setGeometry(10, 238, 85, 23);
    check(UsingPotentiostat, "UsingPotentiostat", "Using", true, 104, 240, 90);
    check(ShowPotential, "ShowPotential", "Show potential", false, 10, 262, 180);
    check(DrawCurrent, "DrawCurrent", "Draw current", false, 10, 280, 180);
    edit(PotentialEdit, "PotentialEdit", "0", 10, 300, 181);

    auto* pump = new QGroupBox(p);
    pump->setObjectName("GroupBox4");
    pump->setGeometry(4, 326, 193, 52);
    PumpButton = new QPushButton("Pump", p);
    PumpButton->setObjectName("PumpButton");
    PumpButton->setGeometry(10, 332, 60, 23);
    setHint(PumpButton, "Pump direct control window");
    check(ShowPump, "ShowPump", "Show", false, 80, 334, 55);
    check(UsingPump, "UsingPump", "Using", true, 138, 334, 56);
    edit(PumpEdit, "PumpEdit", "50", 10, 354, 181);

    auto* valves = new QGroupBox(p);
    valves->setObjectName("GroupBox5");
    valves->setGeometry(4, 380, 193, 160);
    auto* vl = label("Valves", 10, 384, 60);
    vl->setObjectName("ValvesLabel");
    check(ShowValves, "ShowValves", "Show", false, 80, 385, 55);
    check(UsingValves, "UsingValves", "Using", true, 138, 385, 56);
    Memo2 = new QPlainTextEdit(p);
    Memo2->setObjectName("Memo2");
    Memo2->setGeometry(10, 406, 181, 130);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    setHint(Memo2, "Text of the program for valves and pumps");

    connect(Edit6, &QLineEdit::textChanged, this, &TSDIAppForm::SetPeriod);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TSDIAppForm::SetPeriod);
    connect(Edit10, &QLineEdit::textChanged, this, &TSDIAppForm::Edit10Change);
    connect(Edit9, &QLineEdit::textChanged, this, &TSDIAppForm::Edit9Change);
    for (QLineEdit* e : {Edit2, Edit3, Edit4, Edit5, Edit7, Edit8, PumpEdit})
        connect(e, &QLineEdit::textChanged, this, &TSDIAppForm::Redraw);
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox4})
        connect(c, &QComboBox::currentIndexChanged, this, &TSDIAppForm::Redraw);
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TSDIAppForm::Redraw);
    for (QCheckBox* c : {ShowValves, ShowPump, ShowPotential, DrawCurrent})
        connect(c, &QCheckBox::toggled, this, &TSDIAppForm::Redraw);
    connect(PotentialEdit, &QLineEdit::textChanged, this, &TSDIAppForm::Redraw);
}

void TSDIAppForm::buildRightPanel(QWidget* p) {
    Panel5 = makeReadout("Panel5", "Current status of the program", p);
    Panel6 = makeReadout("Panel6", "Current time-axis value", p);
    Panel7 = makeReadout("Panel7", "Current signal-axis value", p);
    Panel8 = makeReadout("Panel8", "Current point number", p);
    Panel9 = makeReadout("Panel9", "Additional information", p);

    PaintBox1 = new PaintBox("PaintBox1", p);
    PaintBox1->onPaint = [this](QPainter& painter) {
        // The frame: window-face colour and a black border; then a full redraw follows.
        const QRect r = PaintBox1->rect();
        painter.fillRect(r, palette().color(QPalette::Button));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        Redraw();
    };
    PaintBox3 = new PaintBox("PaintBox3", p);
    PaintBox3->hide();
    PaintBox2 = new PaintBox("PaintBox2", p);

    auto axisLabel = [p](QLabel*& l, const char* name, Qt::Alignment align) {
        l = new QLabel(p);
        l->setObjectName(name);
        l->setAlignment(align | Qt::AlignVCenter);
    };
    axisLabel(Label5, "Label5", Qt::AlignRight);
    axisLabel(Label6, "Label6", Qt::AlignRight);
    axisLabel(Label7, "Label7", Qt::AlignLeft);
    axisLabel(Label8, "Label8", Qt::AlignRight);
    axisLabel(Label9, "Label9", Qt::AlignRight);
    Label9->setText("0");
    Label9->hide();
    Label5->setText("100");
    Label6->setText("0");
    Label7->setText("0");
    Label8->setText("100");

    for (int v = 0; v < 12; ++v) {
        auto* box = new QCheckBox(QString("V%1").arg(v + 1), p);
        box->setObjectName(QString("CheckBox%1").arg(v + 3));
        box->hide();
        ValveBoxes[v] = box;
        connect(box, &QCheckBox::clicked, this, [this, v](bool on) {
            if (device_) device_->SetValve(static_cast<std::uint8_t>(v), on);
        });
    }

    Memo1 = new QPlainTextEdit(p);
    Memo1->setObjectName("Memo1");
    setHint(Memo1, "Description of the experiment");
}

void TSDIAppForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutRightPanel();
}

void TSDIAppForm::layoutRightPanel() {
    QWidget* central = centralWidget();
    if (!central) return;
    const int h = central->height();
    Panel1->setGeometry(0, 0, 201, h);
    // The valve program takes the rest of the settings panel's height.
    if (auto* valves = Panel1->findChild<QWidget*>("GroupBox5")) {
        valves->setGeometry(4, 380, 193, std::max(h - 384, 60));
        Memo2->setGeometry(10, 406, 181, std::max(h - 414, 34));
    }
    Panel2->setGeometry(201, 0, std::max(central->width() - 201, 200), h);
    const int w = Panel2->width();

    const int rowY = 6, rowH = 24;
    Panel5->setGeometry(4, rowY, 80, rowH);
    Panel6->setGeometry(88, rowY, 100, rowH);
    Panel7->setGeometry(192, rowY, 120, rowH);
    Panel8->setGeometry(316, rowY, 60, rowH);
    Panel9->setGeometry(380, rowY, std::max(w - 384, 40), rowH);

    const int memoH = 64;
    Memo1->setGeometry(4, h - memoH - 4, w - 8, memoH);
    const int frameTop = 40;
    PaintBox1->setGeometry(4, frameTop, w - 8, std::max(h - memoH - 8 - frameTop, 80));
    placePlot();
}

// Where the plot sits inside the frame; the valve lanes above it push it down.
void TSDIAppForm::placePlot() {
    const int left = 64;
    const int width = std::max(PaintBox1->width() - left - 12 + PaintBox1->x(), 20);
    const int top = 48;
    const int height = std::max(PaintBox1->height() - 28, 20);
    PaintBox2->setGeometry(left, top, width, height);
    PaintBox3->setGeometry(left, 48, width, 2);
    Label5->setGeometry(4, 44, left - 8, 16);
    Label6->setGeometry(4, top + height - 12, left - 8, 16);
    Label7->setGeometry(left, top + height + 2, 100, 16);
    Label8->setGeometry(left + width - 100, top + height + 2, 100, 16);
    Label9->setGeometry(4, Label9->y(), left - 8, 16);
}

void TSDIAppForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!activated_) FormActivate();
}

void TSDIAppForm::FormActivate() {
    if (activated_) return;
    activated_ = true;
    if (device_ && !iniPath_.isEmpty()) {
        const ProfileStore store = readSettingsFile(iniPath_.toStdString());
        SettingsTargets targets{controls_, device_->CurrentZeroText, device_->CurrentFactorText,
                                colors_, page_};
        loadActivationSettings(store, targets);
        device_->PMTMaxVoltage = readNumber(controls_.text("TPMTSetup.MaxVoltage"));
        device_->PMTVoltageFactor = readNumber(controls_.text("TPMTSetup.VFactor"));
    }
    if (device_) device_->PMTCalculateCFactors();
    SetPeriod();
    DrawGraph();
    if (run_) run_->State = RunState::Stopped;
    showRunState(RunState::Stopped);
    Zoomed = false;
    DataSaved = true;
    CurrentFileName.clear();
}

// ---- Run control ---------------------------------------------------------------------

void TSDIAppForm::BitBtn1Click() {
    if (run_) run_->run();
}
void TSDIAppForm::BitBtn2Click() {
    if (run_) run_->pause();
}
void TSDIAppForm::BitBtn3Click() {
    if (run_) run_->stop();
}

void TSDIAppForm::FormKeyDown(int key) {
    if (key == Qt::Key_Escape && BitBtn3->isEnabled()) BitBtn3Click();
}

void TSDIAppForm::keyPressEvent(QKeyEvent* event) {
    FormKeyDown(event->key());
    QMainWindow::keyPressEvent(event);
}

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event) {
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
    periodSeconds_ = period;
    if (run_) run_->Period = period;
}

void TSDIAppForm::Edit10Change() {
    const double cycle = fieldValue(Edit10);
    if (cycle > 0.0) cycleTime_ = cycle;
    if (run_) run_->CycleTime = cycleTime_;
    Redraw();
}

void TSDIAppForm::Edit9Change() {
    pmtVoltage_ = fieldValue(Edit9);
    if (run_ && run_->State != RunState::Stopped) device_->PMTSetVoltage(pmtVoltage_);
}

void TSDIAppForm::Timer1Timer() {
    if (run_) run_->tick();
}

void TSDIAppForm::Redraw() {
    if (!Timer2.isActive()) Timer2.start();
}

void TSDIAppForm::Timer2Timer() {
    Timer2.stop();
    DrawGraph();
}

// ---- RunHost -------------------------------------------------------------------------

bool TSDIAppForm::confirmDevices() {
    if (!device_ || device_->DeviceTest(timerCheck())) return true;
    if (quietErrors) {
        // Unattended: nobody can answer the dialog, so the module lines go to stderr.
        for (const DeviceTestLine& line : deviceTestLines(device_->LastDeviceTest))
            std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(line.module.size()),
                         line.module.data(), static_cast<int>(line.result.size()),
                         line.result.data());
        return false;
    }
    QDialog* dialog = windows_ ? windows_->deviceDialog() : nullptr;
    return dialog && dialog->exec() == QDialog::Accepted;
}

bool TSDIAppForm::resolveUnsavedData() {
    if (DataSaved) return true;
    auto answer = QMessageBox::warning(this, windowTitle(), "Data not saved. Save?",
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    // A cancelled or failed save keeps the points: the command does not go on.
    return saveDocument();
}

TDevice::TimerCheck TSDIAppForm::timerCheck() const {
    switch (runState()) {
    case RunState::Running: return TDevice::TimerCheck::Running;
    case RunState::Paused: return TDevice::TimerCheck::Held;
    default: return TDevice::TimerCheck::Free;
    }
}

bool TSDIAppForm::usingPotentiostat() { return UsingPotentiostat->isChecked(); }
bool TSDIAppForm::usingValves() { return UsingValves->isChecked(); }
bool TSDIAppForm::usingPump() { return UsingPump->isChecked(); }
bool TSDIAppForm::maxTimeStop() { return Stopifmaxtime1->isChecked(); }
bool TSDIAppForm::detectorOffDuringPause() { return Detectoroff->isChecked(); }
double TSDIAppForm::pmtVoltage() { return pmtVoltage_; }
bool TSDIAppForm::threeElectrodes() { return windows_ && windows_->threeElectrodes(); }

void TSDIAppForm::showRunState(RunState state) {
    const bool running = state == RunState::Running;
    const bool paused = state == RunState::Paused;
    BitBtn1->setEnabled(!running);
    Run1->setEnabled(!running);
    BitBtn2->setEnabled(running);
    Pause1->setEnabled(running);
    BitBtn3->setEnabled(running || paused);
    Stop1->setEnabled(running || paused);
    if (running) Panel5->setText("Measuring");
    else if (paused) Panel5->setText("Pause");
    else Panel5->setText(Zoomed ? "Zoom" : "");
}

void TSDIAppForm::startNewDocument() {
    CurrentFileName.clear();
    setWindowTitle("Varentis");
    DataSaved = false;
}

void TSDIAppForm::clearReadouts() {
    for (QLabel* p : {Panel5, Panel6, Panel7, Panel8, Panel9}) p->clear();
}

void TSDIAppForm::showPoint(const PointReadout& readout, double rawSignal) {
    Panel6->setText(QString::fromStdString(readout.time));
    Panel7->setText(QString::fromStdString(readout.signal));
    Panel8->setText(QString::fromStdString(readout.number));
    if (!readout.potentiostat.empty()) Panel9->setText(QString::fromStdString(readout.potentiostat));
    ReadoutSignal = rawSignal;
}

void TSDIAppForm::showLiveSignal(const std::string& text, double rawSignal) {
    Panel7->setText(QString::fromStdString(text));
    ReadoutSignal = rawSignal;
}

void TSDIAppForm::fullRedraw() { DrawGraph(); }

RunScale TSDIAppForm::runScale() {
    RunScale r;
    r.XMax = scale_.XMax;
    r.XUnitFactor = scale_.XUnitFactor;
    r.XDecimals = scale_.XDecimals;
    r.XUnitName = ComboBox2->currentText().toStdString();
    r.YUnitFactor = scale_.YUnitFactor;
    r.YDecimals = scale_.YDecimals;
    r.YUnitName = ComboBox1->currentText().toStdString();
    r.ZeroLine = scale_.ZeroLine;
    r.SignalRangeMagnitude = scale_.SignalRangeMagnitude;
    r.CurrentRangeMagnitude = scale_.CurrentRangeMagnitude;
    r.CurrentUnitFactor = scale_.CurUnitFactor;
    r.CurrentDecimals = scale_.CurrentDecimals;
    r.CurrentUnitName = controls_.itemText("TPotential.CUnits");
    return r;
}

void TSDIAppForm::resetLivePlot() { startLiveTrace(scale_); }

void TSDIAppForm::drawPoint(double time, double signal, double current) {
    DrawPoint(time, signal, current);
}

void TSDIAppForm::setValves(std::uint16_t mask) {
    if (!UsingValves->isChecked()) return;
    if (device_) device_->SetValves(mask);
    for (int v = 0; v < 12; ++v) ValveBoxes[v]->setChecked((mask >> v) & 1u);
}

void TSDIAppForm::setAcquisitionTimer(bool enabled) {
    if (enabled) Timer1.start();
    else Timer1.stop();
}

// The potentiostat module has no driver yet; its operations are empty and it reads 0 A.
void TSDIAppForm::potentiostatOn(bool, double, double) {}
void TSDIAppForm::potentiostatSetPotential(double) {}
void TSDIAppForm::potentiostatOff() {}
double TSDIAppForm::potentiostatCurrent() { return 0.0; }

// ---- Graph ----------------------------------------------------------------------------

ScaleSettings TSDIAppForm::scaleSettings() const {
    ScaleSettings st;
    st.XMin = Edit4->text().toStdString();
    st.XMax = Edit5->text().toStdString();
    st.XUnits = ComboBox2->currentIndex();
    st.YMin = Edit2->text().toStdString();
    st.YMax = Edit3->text().toStdString();
    st.YUnits = ComboBox1->currentIndex();
    st.Zero = Edit8->text().toStdString();
    st.PotentialMin = controls_.text("TPotential.PMin");
    st.PotentialMax = controls_.text("TPotential.PMax");
    st.CurrentMin = controls_.text("TPotential.CMin");
    st.CurrentMax = controls_.text("TPotential.CMax");
    st.CurrentUnits = controls_.itemIndex("TPotential.CUnits");
    if (st.PotentialMin.empty() && !windows_) {
        // Without the potential window (tests of the main window alone) the defaults apply.
        ScaleSettings defaults;
        st.PotentialMin = defaults.PotentialMin;
        st.PotentialMax = defaults.PotentialMax;
        st.CurrentMin = defaults.CurrentMin;
        st.CurrentMax = defaults.CurrentMax;
        st.CurrentUnits = defaults.CurrentUnits;
    }
    return st;
}

PlotContent TSDIAppForm::plotContent() const {
    PlotContent c;
    c.Points = &store_;
    if (run_) {
        c.Pump = &run_->Pump;
        c.Potential = &run_->Potential;
    }
    c.CycleTime = cycleTime_;
    c.ShowPump = ShowPump->isChecked();
    c.ShowPotential = ShowPotential->isChecked();
    c.UsingPotentiostat = UsingPotentiostat->isChecked();
    c.DrawCurrent = DrawCurrent->isChecked();
    c.Colors = colors_;
    c.Width = PaintBox2->width();
    c.Height = PaintBox2->height();
    return c;
}

void TSDIAppForm::XYFactors() {
    ScaleResult r =
        varentis::XYFactors(scaleSettings(), PaintBox2->width(), PaintBox2->height(), scale_);
    scale_ = r.Scale;
    if (r.Label5) Label5->setText(QString::fromStdString(*r.Label5));
    if (r.Label6) Label6->setText(QString::fromStdString(*r.Label6));
    if (r.Label7) Label7->setText(QString::fromStdString(*r.Label7));
    if (r.Label8) Label8->setText(QString::fromStdString(*r.Label8));
}

void TSDIAppForm::DrawGraph() {
    ++redrawCount_;
    XYFactors();
    if (run_) {
        // One program step for the whole cycle until the program texts are parsed.
        run_->Pump = oneStepPumpSchedule(fieldValue(PumpEdit), cycleTime_);
        run_->Potential =
            oneStepPotentialSchedule(fieldValue(PotentialEdit) * PotentialUnitFactor, cycleTime_);
    }
    Label11->setText(ComboBox1->currentText());
    scale_.DampingFactor = dampingFactor(Edit7->text().toStdString(), ComboBox4->currentIndex(),
                                         periodSeconds_);
    placePlot();

    QImage& image = PaintBox2->image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    const ZeroLabel zero = drawSignalGraph(canvas, scale_, plotContent());
    painter.end();
    Label9->setVisible(zero.Visible);
    if (zero.Visible) Label9->move(Label9->x(), zero.Top + PaintBox2->y());
    PaintBox2->update();
}

void TSDIAppForm::DrawPoint(double time, double signal, double current) {
    QImage& image = PaintBox2->image();
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    varentis::drawPoint(canvas, scale_, plotContent(), time, signal, current);
    painter.end();
    PaintBox2->update();
}

// ---- Documents ------------------------------------------------------------------------

void TSDIAppForm::showError(const QString& message) {
    if (quietErrors) std::fprintf(stderr, "varentis: %s\n", message.toLocal8Bit().constData());
    else QMessageBox::critical(this, windowTitle(), message);
}

void TSDIAppForm::setDocumentCaption() {
    setWindowTitle(CurrentFileName.isEmpty()
                       ? QString("Varentis")
                       : "Varentis - [" + QFileInfo(CurrentFileName).fileName() + "]");
}

void TSDIAppForm::FileNew1Execute() {
    if (!resolveUnsavedData()) return;
    store_.clear();
    DataSaved = false;
    CurrentFileName.clear();
    DrawGraph();
    setWindowTitle("Varentis");
}

QString TSDIAppForm::saveToFile(const QString& path) {
    const QString statusBeforeSave = Panel5->text();
    Panel5->setText("Saving");
    DataColumns columns;
    columns.factors.time = scale_.XUnitFactor;
    columns.factors.signal = scale_.YUnitFactor;
    columns.factors.current = scale_.CurUnitFactor;
    columns.XDecimals = scale_.XDecimals;
    columns.YDecimals = scale_.YDecimals;
    columns.CurrentDecimals = scale_.CurrentDecimals;
    columns.periodSeconds = periodSeconds_;
    const std::string bytes = writeDataFile(controls_, store_, columns);
    if (auto error = writeFileAtomically(path.toStdString(), bytes)) {
        // The previous file is untouched and nothing here changes.
        Panel5->setText(statusBeforeSave);
        return QString::fromStdString(*error);
    }
    DataSaved = true;
    Panel5->setText(statusBeforeSave);
    CurrentFileName = path;
    setDocumentCaption();
    return {};
}

bool TSDIAppForm::saveDocument() {
    QFileDialog dialog(this, "Save", saveName_, "Data Files (*.vrd)");
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("vrd");
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString path = dialog.selectedFiles().first();
    saveName_ = path;
    const QString error = saveToFile(path);
    if (!error.isEmpty()) {
        showError(error);
        return false;
    }
    return true;
}

void TSDIAppForm::FileSave1Execute() { saveDocument(); }

void TSDIAppForm::applyPeriod() { SetPeriod(); }

ColumnFactors TSDIAppForm::recomputeScaling() {
    XYFactors();
    return ColumnFactors{scale_.XUnitFactor, scale_.YUnitFactor, scale_.CurUnitFactor};
}

QString TSDIAppForm::openFile(const QString& path) {
    std::string bytes;
    if (auto error = readWholeFile(path.toStdString(), bytes)) return QString::fromStdString(*error);
    if (Timer1.isActive()) BitBtn3Click();
    Panel5->setText("Loading");
    readDataFile(bytes, controls_, store_, *this);
    Label11->setText(ComboBox1->currentText());
    Panel5->clear();
    DrawGraph();
    CurrentFileName = path;
    DataSaved = true; // what was just opened is on disk
    setDocumentCaption();
    return {};
}

void TSDIAppForm::FileOpen1Execute() {
    if (!resolveUnsavedData()) return;
    const QString path = QFileDialog::getOpenFileName(
        this, "Open", openDir_, "Data Files (*.vrd);;All Files (*.*)");
    if (path.isEmpty()) return;
    openDir_ = path;
    const QString error = openFile(path);
    if (!error.isEmpty()) showError(error);
}

// ---- Shell ----------------------------------------------------------------------------

void TSDIAppForm::FileExit1Execute() { close(); }

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    // Every way of closing asks about unsaved data; Cancel keeps the program (and any
    // measurement) going.
    if (askOnClose && !resolveUnsavedData()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    emit formClosed();
}

void TSDIAppForm::FormClose() {
    if (run_) run_->stop(); // nothing to do when no run is in progress
    if (!iniPath_.isEmpty() && device_) {
        ProfileStore store = readSettingsFile(iniPath_.toStdString());
        SettingsTargets targets{controls_, device_->CurrentZeroText, device_->CurrentFactorText,
                                colors_, page_};
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
    help->show();
    help->raise();
}

void TSDIAppForm::HelpAbout1Execute() {
    if (windows_ && windows_->about) windows_->about->exec();
}

} // namespace varentis
