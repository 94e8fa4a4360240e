#include "AppFixture.h"

#include <QFile>

using namespace varentis;
using namespace varentis::test;

namespace {

class ShellTest : public AppTest {
protected:
    QStringList memoLines(const char* name) {
        return control<QPlainTextEdit>(name)->toPlainText().split('\n');
    }
};

TEST_F(ShellTest, WindowsAreCreatedOnceInTheStartOrder) {
    openWindow();
    const QStringList expected{"Varentis",           "About",
                               "Print report",       "Printing",
                               "Margins",            "View text",
                               "Electrode potential", "Graph colors",
                               "Device test",        "PMT detector setup",
                               "Pump direct control"};
    EXPECT_EQ(windows->creationOrder, expected);
    // Only the main window shows at start; the others wait for their commands.
    for (QDialog* dialog : form->findChildren<QDialog*>()) EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ShellTest, WithoutSettingsFileTheWindowShowsTheDefaults) {
    ASSERT_FALSE(QFile::exists(iniPath()));
    openWindow();
    const std::pair<const char*, const char*> texts[] = {
        {"Edit6", "100"}, {"Edit7", "0"},   {"Edit10", "30"},          {"Edit9", "100"},
        {"Edit8", "0"},   {"Edit2", "0"},   {"Edit3", "100"},          {"Edit4", "0"},
        {"Edit5", "100"}, {"PumpEdit", "50"}, {"PotentialEdit", "0"},
    };
    for (auto [name, value] : texts) EXPECT_EQ(edit(name)->text(), value) << name;
    const std::pair<const char*, const char*> units[] = {
        {"ComboBox3", "ms"}, {"ComboBox4", "%"}, {"ComboBox1", "nA"}, {"ComboBox2", "s"}};
    for (auto [name, value] : units)
        EXPECT_EQ(control<QComboBox>(name)->currentText(), value) << name;
    const std::pair<const char*, bool> boxes[] = {
        {"UsingPotentiostat", true}, {"UsingPump", true},   {"UsingValves", true},
        {"ShowPotential", false},    {"DrawCurrent", false}, {"ShowPump", false},
        {"ShowValves", false}};
    for (auto [name, on] : boxes) EXPECT_EQ(control<QCheckBox>(name)->isChecked(), on) << name;
    for (const char* option : {"Stopifmaxtime1", "Changerange1", "Detectoroff"})
        EXPECT_FALSE(action(option)->isChecked()) << option;
    EXPECT_TRUE(control<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
    EXPECT_TRUE(control<QPlainTextEdit>("Memo2")->toPlainText().isEmpty());
    EXPECT_EQ(control<QLabel>("Label11")->text(), "nA");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.1);
    EXPECT_DOUBLE_EQ(form->cycleTimeSeconds(), 30.0);
    EXPECT_TRUE(form->documents().DataSaved);
    EXPECT_EQ(form->windowTitle(), "Varentis");
    EXPECT_FALSE(QFile::exists(iniPath())) << "nothing is written before the close";
}

TEST_F(ShellTest, SettingsWrittenAtCloseComeBackInTheNextWindow) {
    openWindow();
    edit("Edit6")->setText("250");
    control<QComboBox>("ComboBox2")->setCurrentIndex(1); // min
    control<QComboBox>("ComboBox1")->setCurrentIndex(2); // uA
    control<QPlainTextEdit>("Memo2")->setPlainText("10,20\nV1=on\n\n10,20");
    control<QPlainTextEdit>("Memo1")->setPlainText("Sample A\nbuffer=pH 7");
    control<QCheckBox>("UsingPump")->setChecked(false);
    control<QCheckBox>("ShowValves")->setChecked(true);
    action("Detectoroff")->trigger();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    ASSERT_TRUE(QFile::exists(iniPath()));

    openWindow();
    EXPECT_EQ(edit("Edit6")->text(), "250");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.25) << "the period read back is in force";
    EXPECT_EQ(control<QComboBox>("ComboBox2")->currentText(), "min");
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentText(), "uA");
    EXPECT_EQ(control<QLabel>("Label11")->text(), "uA");
    // Lines with "=" come back whole, repeated lines stay, empty lines are dropped.
    EXPECT_EQ(memoLines("Memo2"), QStringList({"10,20", "V1=on", "10,20"}));
    EXPECT_EQ(memoLines("Memo1"), QStringList({"Sample A", "buffer=pH 7"}));
    EXPECT_FALSE(control<QCheckBox>("UsingPump")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("ShowValves")->isChecked());
    EXPECT_TRUE(action("Detectoroff")->isChecked());
    EXPECT_FALSE(action("Stopifmaxtime1")->isChecked());
    EXPECT_EQ(edit("Edit9")->text(), "100") << "untouched settings keep their values";
}

// The close question: what the operator answers, how the window is closed, and whether
// it closes.
struct CloseCase {
    const char* what;
    bool byExitCommand;
    QMessageBox::StandardButton answer;
    bool cancelSaveDialog;
    bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.what; }

class CloseQuestionTest : public ShellTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseQuestionTest, UnsavedDataAreAskedForBeforeTheWindowCloses) {
    const CloseCase& c = GetParam();
    openWindow();
    startRun();
    ticks(5);
    ASSERT_FALSE(form->documents().DataSaved);
    const int points = form->store().Count;

    QString question;
    bool saveDialogShown = false;
    answerQuestion(c.answer, &question);
    if (c.cancelSaveDialog) cancelFileDialog(&saveDialogShown);
    if (c.byExitCommand) action("FileExit1")->trigger();
    else form->close();

    EXPECT_EQ(question, "Data not saved. Save?");
    EXPECT_EQ(saveDialogShown, c.cancelSaveDialog);
    EXPECT_EQ(form->isVisible(), !c.closes);
    if (c.closes) {
        EXPECT_EQ(form->runState(), RunState::Stopped) << "closing stops the run";
        EXPECT_EQ(sim.pmtControl() & 0x08, 0);
        EXPECT_TRUE(QFile::exists(iniPath())) << "settings are written at close";
    } else {
        EXPECT_EQ(form->runState(), RunState::Running) << "the measurement goes on";
        EXPECT_TRUE(form->acquisitionTimerEnabled());
        EXPECT_FALSE(form->documents().DataSaved);
        EXPECT_GE(form->store().Count, points);
        EXPECT_FALSE(QFile::exists(iniPath()));
        ticks(2);
        EXPECT_GT(form->store().Count, points);
        click("BitBtn3");
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExitAndClose, CloseQuestionTest,
    ::testing::Values(
        CloseCase{"ExitCancel", true, QMessageBox::Cancel, false, false},
        CloseCase{"ExitNo", true, QMessageBox::No, false, true},
        // A save whose dialog is cancelled must not drop the unsaved points.
        CloseCase{"ExitYesSaveCancelled", true, QMessageBox::Yes, true, false},
        CloseCase{"CloseCancel", false, QMessageBox::Cancel, false, false},
        CloseCase{"CloseNo", false, QMessageBox::No, false, true},
        CloseCase{"CloseYesSaveCancelled", false, QMessageBox::Yes, true, false}),
    [](const ::testing::TestParamInfo<CloseCase>& p) { return std::string(p.param.what); });

TEST_F(ShellTest, SavedDataCloseWithoutAQuestion) {
    openWindow();
    bool asked = false;
    watchForQuestion(&asked);
    action("FileExit1")->trigger();
    QTest::qWait(300); // room for a question that must not come
    EXPECT_FALSE(asked);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
