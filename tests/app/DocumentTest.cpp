#include "AppFixture.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

using namespace varentis;
using namespace varentis::test;

namespace {

class DocumentTest : public AppTest {
protected:
    // A short run, stopped: its points are not saved yet.
    void measure(int tickCount = 6) {
        form->documents().DataSaved = true; // no question before this run
        startRun();
        ticks(tickCount);
        click("BitBtn3");
        ASSERT_GT(form->store().Count, 0);
        ASSERT_FALSE(form->documents().DataSaved);
    }
    QByteArray bytesOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(DocumentTest, NewAsksAboutUnsavedPointsAndOnlyNoDropsThem) {
    openWindow();
    measure();
    control<QPlainTextEdit>("Memo1")->setPlainText("cell 3");
    control<QPlainTextEdit>("Memo2")->setPlainText("5,10");
    const int points = form->store().Count;

    QString question;
    answerQuestion(QMessageBox::Cancel, &question);
    action("FileNew1")->trigger();
    EXPECT_EQ(question, "Data not saved. Save?");
    EXPECT_EQ(form->store().Count, points) << "Cancel changes nothing";
    EXPECT_FALSE(form->documents().DataSaved);

    answerQuestion(QMessageBox::No);
    action("FileNew1")->trigger();
    EXPECT_EQ(form->store().Count, 0);
    EXPECT_FALSE(form->documents().DataSaved);
    EXPECT_TRUE(form->documents().CurrentFileName.isEmpty());
    EXPECT_EQ(form->windowTitle(), "Varentis");
    // New drops the points only.
    EXPECT_EQ(control<QPlainTextEdit>("Memo1")->toPlainText(), "cell 3");
    EXPECT_EQ(control<QPlainTextEdit>("Memo2")->toPlainText(), "5,10");
    EXPECT_EQ(edit("Edit6")->text(), "100");
}

TEST_F(DocumentTest, SavedRunOpensAsSavedWithItsPointsAndSettings) {
    openWindow();
    control<QPlainTextEdit>("Memo1")->setPlainText("first run");
    measure(8);
    const PointStore saved = form->store();
    const QString path = tempPath("first.vrd");
    ASSERT_EQ(form->saveToFile(path), "");
    EXPECT_TRUE(form->documents().DataSaved);
    EXPECT_EQ(form->windowTitle(), "Varentis - [first.vrd]");

    // A second run with other settings, still running when the file is opened.
    edit("Edit6")->setText("200");
    control<QPlainTextEdit>("Memo1")->setPlainText("second run");
    form->documents().DataSaved = true;
    startRun();
    ticks(3);
    ASSERT_EQ(form->runState(), RunState::Running);

    ASSERT_EQ(form->openFile(path), "");
    EXPECT_EQ(form->runState(), RunState::Stopped) << "Open stops the run";
    EXPECT_EQ(sim.pmtControl() & 0x08, 0);
    EXPECT_TRUE(form->documents().DataSaved) << "what was just opened is on disk";
    EXPECT_EQ(form->documents().CurrentFileName, path);
    EXPECT_EQ(form->windowTitle(), "Varentis - [first.vrd]");
    EXPECT_EQ(edit("Edit6")->text(), "100");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.1);
    EXPECT_EQ(control<QPlainTextEdit>("Memo1")->toPlainText(), "first run");
    EXPECT_EQ(panel("Panel5"), "");
    ASSERT_EQ(form->store().Count, saved.Count);
    for (int i = 0; i < saved.Count; ++i) {
        EXPECT_NEAR(form->store().Times[i], saved.Times[i], 0.005) << i;
        EXPECT_NEAR(form->store().Signals[i], saved.Signals[i], 0.005e-9) << i; // 2 decimals of nA
    }

    // Nothing to save, so nothing to ask: Exit closes at once.
    bool asked = false;
    watchForQuestion(&asked);
    action("FileExit1")->trigger();
    EXPECT_FALSE(asked);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DocumentTest, FailedSaveKeepsThePreviousFileAndTheUnsavedState) {
    openWindow();
    measure();
    const QString path = tempPath("kept.vrd");
    ASSERT_EQ(form->saveToFile(path), "");
    const QByteArray previous = bytesOf(path);
    ASSERT_FALSE(previous.isEmpty());

    measure(10); // more points, not saved
    const QString title = form->windowTitle();

    // A folder that does not exist.
    const QString missing = tempPath("no such folder/run.vrd");
    EXPECT_NE(form->saveToFile(missing), "");
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(form->documents().DataSaved);

    // A folder that refuses the write. Folder permissions do not hold back root, so there
    // the name the new file is first written under is taken by a folder instead.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool permissionsHold = !QFile(tempPath("probe")).open(QIODevice::WriteOnly);
    if (!permissionsHold) {
        QFile::remove(tempPath("probe"));
        ASSERT_TRUE(QDir(dir.path()).mkpath(path + ".tmp" + QString::number(::getpid()) + "/x"));
    }
    EXPECT_NE(form->saveToFile(path), "");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(bytesOf(path), previous) << "the previous file is untouched";
    EXPECT_FALSE(form->documents().DataSaved);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(form->documents().CurrentFileName, "") << "a run's document has no file until it is saved";
    EXPECT_EQ(panel("Panel5"), "") << "the status comes back after the attempt";
}

} // namespace
