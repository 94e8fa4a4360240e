#include "app/MainFormLayout.h"

#include "widgets/PaintBox.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace varentis {

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

namespace {

// The desktop's own icon for a standard command; where its icon theme has none, the
// program's drawing of it.
QIcon commandIcon(const QString& themeName) {
    QIcon own;
    own.addFile(":/icons/" + themeName + "-16.png", QSize(16, 16));
    own.addFile(":/icons/" + themeName + "-32.png", QSize(32, 32));
    return QIcon::fromTheme(themeName, own);
}

// The settings panel down to a few lines of the valve program, and the read-out row.
constexpr int kPanelsMinimumWidth = 201 + 424;
constexpr int kPanelsMinimumHeight = 460;

QLabel* makeReadout(const QString& name, const QString& hint, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (!hint.isEmpty()) setHint(panel, hint);
    return panel;
}

} // namespace

void MainFormLayout::build(QMainWindow& w) {
    w.setObjectName("SDIAppForm");
    w.setWindowTitle("Varentis");
    buildActions(w);
    buildMenus(w);
    buildToolBar(w);

    auto* central = new QWidget(&w);
    central->setObjectName("Central");
    Panel1 = new QWidget(central);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 201, 544);
    Panel2 = new QWidget(central);
    Panel2->setObjectName("Panel2");
    buildLeftPanel(Panel1, &w);
    buildRightPanel(Panel2);
    w.setCentralWidget(central);
    w.statusBar()->setObjectName("StatusBar1");
    w.statusBar()->setSizeGripEnabled(true);

    // Never so small that the settings panel or the toolbar's buttons are cut off.
    const int chrome = w.menuBar()->sizeHint().height() + 30 + w.statusBar()->sizeHint().height();
    const auto* tb = w.findChild<QToolBar*>("ToolBar1");
    w.setMinimumSize(std::max(kPanelsMinimumWidth, tb->sizeHint().width() + 8),
                     std::max(508, kPanelsMinimumHeight + chrome));
    // Client area of 784 x 544 below the menu bar, where the screen has the room.
    QSize size(784, 544 + w.menuBar()->sizeHint().height());
    if (const QScreen* screen = w.screen())
        size = size.boundedTo(screen->availableGeometry().size());
    w.resize(size.expandedTo(w.minimumSize()));
}

void MainFormLayout::buildActions(QMainWindow& w) {
    auto make = [&w](QAction*& a, const char* name, const QString& text, const QString& hint,
                       const QKeySequence& key = {}) {
        a = new QAction(text, &w);
        a->setObjectName(name);
        if (!hint.isEmpty()) setHint(a, hint);
        if (!key.isEmpty()) a->setShortcut(key);
        w.addAction(a);
    };
    make(FileNew1, "FileNew1", "&New", "New|Create a new file", QKeySequence("Ctrl+N"));
    make(FileOpen1, "FileOpen1", "&Open", "Open|Open a file", QKeySequence("Ctrl+O"));
    make(FileSave1, "FileSave1", "&Save", "Save|Save current file", QKeySequence("Ctrl+S"));
    make(FileSaveAs1, "FileSaveAs1", "Save &As...", "Save As|Save current file with different name");
    make(Printersetup1, "Printersetup1", "Pri&nter setup", "");
    make(Print1, "Print1", "&Print", "");
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
}

void MainFormLayout::buildMenus(QMainWindow& w) {
    QMenuBar* bar = w.menuBar();
    bar->setObjectName("MainMenu1");
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("File1");
    file->menuAction()->setStatusTip("File related commands");
    file->addActions({FileNew1, FileOpen1, FileSave1, FileSaveAs1});
    file->addSeparator();
    file->addActions({Printersetup1, Print1});
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

void MainFormLayout::buildToolBar(QMainWindow& w) {
    QToolBar* tb = w.addToolBar("Toolbar");
    tb->setObjectName("ToolBar1");
    tb->setMovable(false);
    tb->setFixedHeight(30);
    tb->setIconSize(QSize(16, 16));
    FileNew1->setIcon(commandIcon("document-new"));
    FileOpen1->setIcon(commandIcon("document-open"));
    FileSave1->setIcon(commandIcon("document-save"));
    tb->addActions({FileNew1, FileOpen1, FileSave1});
    tb->addSeparator();
    EditCut1->setIcon(commandIcon("edit-cut"));
    EditCopy1->setIcon(commandIcon("edit-copy"));
    EditPaste1->setIcon(commandIcon("edit-paste"));
    tb->addActions({EditCut1, EditCopy1, EditPaste1});
    tb->addSeparator();
    Print1->setIcon(commandIcon("document-print"));
    ToolButton8 = new QToolButton(tb);
    ToolButton8->setObjectName("ToolButton8");
    ToolButton8->setIcon(Print1->icon());
    setHint(ToolButton8, "Printing of report from measurements");
    QObject::connect(ToolButton8, &QToolButton::clicked, Print1, &QAction::trigger);
    tb->addWidget(ToolButton8);
    tb->addSeparator();

    auto button = [tb](QPushButton*& b, const char* name, const QString& text,
                       const QString& hint, const char* themeName) {
        b = new QPushButton(commandIcon(themeName), text, tb);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, hint);
        tb->addWidget(b);
    };
    button(BitBtn1, "BitBtn1", "&Run", "Start of measurement", "media-playback-start");
    button(BitBtn2, "BitBtn2", "&Pause", "Pause of measurement", "media-playback-pause");
    button(BitBtn3, "BitBtn3", "&Stop", "Stop of measurement", "media-playback-stop");
}

// Makes the settings panel's controls at their designer places.
struct MainFormLayout::Placer {
    QWidget* p;
    QObject* keyFilter;

    QLabel* label(const QString& text, int x, int y, int w = 60) const {
        auto* l = new QLabel(text, p);
        l->setGeometry(x, y, w, 21);
        return l;
    }
    void edit(QLineEdit*& e, const char* name, const QString& text, int x, int y, int w) const {
        e = new QLineEdit(text, p);
        e->setObjectName(name);
        e->setGeometry(x, y, w, 21);
        e->installEventFilter(keyFilter);
    }
    void combo(QComboBox*& c, const char* name, const QStringList& items, int index, int x, int y,
               int w) const {
        c = new QComboBox(p);
        c->setObjectName(name);
        c->addItems(items);
        c->setCurrentIndex(index);
        c->setGeometry(x, y, w, 21);
    }
    void check(QCheckBox*& c, const char* name, const QString& text, bool on, int x, int y,
               int w) const {
        c = new QCheckBox(text, p);
        c->setObjectName(name);
        c->setChecked(on);
        c->setGeometry(x, y, w, 19);
    }
    QGroupBox* group(const char* name, const QString& title, int x, int y, int w, int h) const {
        auto* g = new QGroupBox(title, p);
        g->setObjectName(name);
        g->setGeometry(x, y, w, h);
        return g;
    }
};

void MainFormLayout::buildLeftPanel(QWidget* p, QObject* keyFilter) {
    // The settings panel is 201 pixels wide whatever the desktop's font: a compact font
    // keeps its captions whole.
    QFont compact = p->font();
    compact.setPointSizeF(8.0);
    p->setFont(compact);
    const Placer at{p, keyFilter};
    buildRunFields(at);
    buildAxisGroups(at);
    buildProgramGroups(at);
}

void MainFormLayout::buildRunFields(const Placer& at) {
    at.label("Period", 6, 6);
    at.edit(Edit6, "Edit6", "100", 82, 6, 54);
    at.combo(ComboBox3, "ComboBox3", {"ms", "s"}, 0, 140, 6, 55);
    at.label("Damping", 6, 31);
    at.edit(Edit7, "Edit7", "0", 82, 31, 54);
    at.combo(ComboBox4, "ComboBox4", {"%", "ms", "s"}, 0, 140, 31, 55);
    at.label("Cycle  time", 6, 56, 76);
    at.edit(Edit10, "Edit10", "30", 82, 56, 54);
    at.label("s", 141, 56, 20);
    at.label("PMT  voltage", 6, 81, 76);
    at.edit(Edit9, "Edit9", "100", 82, 81, 54);
    at.label("V", 142, 81, 20);
    at.label("Current  zero", 6, 106, 76);
    at.edit(Edit8, "Edit8", "0", 82, 106, 54);
    Label11 = at.label("nA", 142, 106, 40);
    Label11->setObjectName("Label11");
}

void MainFormLayout::buildAxisGroups(const Placer& at) {
    const QStringList currentUnits{"pA", "nA", "uA", "mA", "A"};
    at.group("GroupBox1", "PMT current axis", 4, 130, 193, 48);
    at.edit(Edit2, "Edit2", "0", 10, 150, 55);
    at.edit(Edit3, "Edit3", "100", 70, 150, 55);
    at.combo(ComboBox1, "ComboBox1", currentUnits, 1, 130, 150, 60);
    setHint(Edit2, "Minimum of the PMT current axis");
    setHint(Edit3, "Maximum of the PMT current axis");

    at.group("GroupBox2", "Time axis", 4, 180, 193, 48);
    at.edit(Edit4, "Edit4", "0", 10, 200, 55);
    at.edit(Edit5, "Edit5", "100", 70, 200, 55);
    at.combo(ComboBox2, "ComboBox2", {"s", "min", "h"}, 0, 130, 200, 60);
    setHint(Edit4, "Minimum of the time axis");
    setHint(Edit5, "Maximum of the time axis");
}

void MainFormLayout::buildProgramGroups(const Placer& at) {
    at.group("GroupBox3", QString(), 4, 232, 193, 92);
    Button1 = new QPushButton("Potentiostat", at.p);
    Button1->setObjectName("Button1");
    Button1->setGeometry(10, 238, 85, 23);
    at.check(UsingPotentiostat, "UsingPotentiostat", "Using", true, 104, 240, 90);
    at.check(ShowPotential, "ShowPotential", "Show potential", false, 10, 262, 180);
    at.check(DrawCurrent, "DrawCurrent", "Draw current", false, 10, 280, 180);
    at.edit(PotentialEdit, "PotentialEdit", "0", 10, 300, 181);

    at.group("GroupBox4", QString(), 4, 326, 193, 52);
    PumpButton = new QPushButton("Pump", at.p);
    PumpButton->setObjectName("PumpButton");
    PumpButton->setGeometry(10, 332, 60, 23);
    setHint(PumpButton, "Pump direct control window");
    at.check(ShowPump, "ShowPump", "Show", false, 80, 334, 55);
    at.check(UsingPump, "UsingPump", "Using", true, 138, 334, 56);
    at.edit(PumpEdit, "PumpEdit", "50", 10, 354, 181);

    at.group("GroupBox5", QString(), 4, 380, 193, 160);
    auto* vl = at.label("Valves", 10, 384, 60);
    vl->setObjectName("ValvesLabel");
    at.check(ShowValves, "ShowValves", "Show", false, 80, 385, 55);
    at.check(UsingValves, "UsingValves", "Using", true, 138, 385, 56);
    Memo2 = new QPlainTextEdit(at.p);
    Memo2->setObjectName("Memo2");
    Memo2->setGeometry(10, 406, 181, 130);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    setHint(Memo2, "Text of the program for valves and pumps");
}

void MainFormLayout::buildRightPanel(QWidget* p) {
    Panel5 = makeReadout("Panel5", "Current status of the program", p);
    Panel6 = makeReadout("Panel6", "Current value of time axis", p);
    Panel7 = makeReadout("Panel7", "Current value of signal axis", p);
    Panel8 = makeReadout("Panel8", "Number of current point", p);
    Panel9 = makeReadout("Panel9", "Additional information", p);

    PaintBox1 = new PaintBox("PaintBox1", p);
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
    }

    Memo1 = new QPlainTextEdit(p);
    Memo1->setObjectName("Memo1");
    setHint(Memo1, "Description of the experiment");
}

void MainFormLayout::layoutPanels(QWidget* central) {
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

void MainFormLayout::placePlot() {
    const int left = 64;
    const int width = std::max(PaintBox1->width() - left - 12 + PaintBox1->x(), 20);
    // The valve lanes push the plot down; its bottom stays 20 pixels above the frame's.
    const int top = Lanes.plotTop();
    const int height = std::max(PaintBox1->y() + PaintBox1->height() - 20 - top, 20);
    PaintBox2->setGeometry(left, top, width, height);
    PaintBox3->setGeometry(left, kFirstLaneTop, width, Lanes.boxHeight());
    PaintBox3->setVisible(Lanes.Shown);
    Label5->setGeometry(4, Lanes.maxLabelTop(), left - 8, 16);
    Label6->setGeometry(4, top + height - 12, left - 8, 16);
    Label7->setGeometry(left, top + height + 2, 100, 16);
    Label8->setGeometry(left + width - 100, top + height + 2, 100, 16);
    Label9->setGeometry(4, Label9->y(), left - 8, 16);
}

void MainFormLayout::placeValveGraph(const ValveLanes& lanes) {
    Lanes = lanes;
    for (std::size_t v = 0; v < kValveCount; ++v) {
        ValveBoxes[v]->setGeometry(4, lanes.Position[v], 56, kLanePitch);
        ValveBoxes[v]->setVisible(lanes.Used[v]);
    }
    placePlot();
}

} // namespace varentis
