#pragma once

#include "graph/ValveGraph.h"

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QObject;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace varentis {

class PaintBox;

// A hint is "short|long": the short part is the tooltip, the long part the status text.
void setHint(QWidget* w, const QString& hint);
void setHint(QAction* a, const QString& hint);

// The controls of the main window under their designer names, and how they are laid out:
// the command table in menus and toolbar, the 201-pixel settings panel on the left, the
// read-outs, the graph and the description on the right. Building connects nothing; the
// window connects its handlers itself.
class MainFormLayout {
public:
    // Builds every control into `window`; the settings panel's fields report their keys to
    // the window's event filter (Esc in the number fields).
    void build(QMainWindow& window);
    // Places the panels, read-outs, frame and plot for the client area `central`.
    void layoutPanels(QWidget* central);
    // Where the plot sits inside the frame, below the valve graph's lanes.
    void placePlot();
    // The valve graph's box and check boxes as `lanes` lay them out, then the plot below.
    void placeValveGraph(const ValveLanes& lanes);
    // The valve graph's layout as last placed.
    ValveLanes Lanes;

    QLineEdit *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4;
    QLabel* Label11;
    QPushButton *Button1, *PumpButton; // Button1: "Potentiostat"
    QCheckBox *UsingPotentiostat, *ShowPotential, *DrawCurrent;
    QCheckBox *ShowPump, *UsingPump, *ShowValves, *UsingValves;
    QLineEdit *PotentialEdit, *PumpEdit;
    QPlainTextEdit *Memo1, *Memo2;
    QLabel *Panel5, *Panel6, *Panel7, *Panel8, *Panel9;
    QLabel *Label5, *Label6, *Label7, *Label8, *Label9;
    PaintBox *PaintBox1, *PaintBox2, *PaintBox3;
    QCheckBox* ValveBoxes[12]; // CheckBox3 .. CheckBox14: V1 .. V12
    QWidget *Panel1, *Panel2;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;
    QAction *FileNew1, *FileOpen1, *FileSave1, *FileSaveAs1, *Printersetup1, *Print1, *FileExit1;
    QToolButton* ToolButton8; // Print
    QAction *EditCut1, *EditCopy1, *EditPaste1, *Viewdatatext1;
    QAction *Run1, *Pause1, *Stop1, *Setzeroline1;
    QAction *Stopifmaxtime1, *Changerange1, *Detectoroff;
    QAction *Graphsetup1, *PMTdetectorsetup1, *Potentiostatsetup1, *Devicetest1;
    QAction *Helpindex1, *HelpAbout1;

private:
    void buildActions(QMainWindow& w);
    void buildMenus(QMainWindow& w);
    void buildToolBar(QMainWindow& w);
    struct Placer;
    void buildLeftPanel(QWidget* p, QObject* keyFilter);
    // The period, damping, cycle time, voltage and zero fields; the two axes; the
    // potentiostat, pump and valve groups.
    void buildRunFields(const Placer& at);
    void buildAxisGroups(const Placer& at);
    void buildProgramGroups(const Placer& at);
    void buildRightPanel(QWidget* p);
};

} // namespace varentis
