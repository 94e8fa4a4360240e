#include "AppFixture.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

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
    // The system's message, in the language the program runs in.
    static QString systemMessage(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
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


TEST_F(DocumentTest, PointsTakenAfterASaveNeedSavingAgain) {
    openWindow();
    form->documents().DataSaved = true;
    startRun();
    ticks(3);
    ASSERT_EQ(form->saveToFile(tempPath("during.vrd")), "");
    EXPECT_TRUE(form->documents().DataSaved);
    const int saved = form->store().Count;
    ticks(3);
    ASSERT_GT(form->store().Count, saved);
    EXPECT_FALSE(form->documents().DataSaved) << "the points after the save are on no disk";
    click("BitBtn3");
    const int points = form->store().Count;

    QString question;
    answerQuestion(QMessageBox::Cancel, &question);
    action("FileNew1")->trigger();
    EXPECT_EQ(question, "Data not saved. Save?");
    EXPECT_EQ(form->store().Count, points) << "nothing was dropped without a question";
}

// Without points there is nothing to lose, so New, Run and Exit ask nothing.
TEST_F(DocumentTest, NoPointsNoQuestion) {
    openWindow();
    action("FileNew1")->trigger(); // data saved at start: no question either way
    ASSERT_FALSE(form->documents().DataSaved);
    ASSERT_EQ(form->store().Count, 0);

    // Each command gets its own watch: a question would come while it runs.
    bool asked = false;
    watchForQuestion(&asked);
    action("FileNew1")->trigger();
    QTest::qWait(250);
    EXPECT_FALSE(asked) << "New";

    asked = false;
    watchForQuestion(&asked);
    click("BitBtn1");
    QTest::qWait(250);
    EXPECT_FALSE(asked) << "Run";
    EXPECT_EQ(form->runState(), RunState::Running);
    click("BitBtn3"); // before the first tick: still no point
    ASSERT_EQ(form->store().Count, 0);

    asked = false;
    watchForQuestion(&asked);
    action("FileExit1")->trigger();
    QTest::qWait(250);
    EXPECT_FALSE(asked) << "Exit";
    EXPECT_FALSE(form->isVisible());
}

// A save that fails says which file and why, in the window's error box.
TEST_F(DocumentTest, AFailedSaveNamesTheFileAndTheReason) {
    openWindow();
    measure();
    const QString missing = tempPath("no such folder/run.vrd");
    EXPECT_EQ(form->saveToFile(missing), "Unable to write to " + missing + ": " + systemMessage(ENOENT));

    const QString readOnly = tempPath("kept.vrd");
    {
        QFile f(readOnly);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept\r\n");
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    // Through the Save command, its dialog and the error box.
    whenModal<QFileDialog>(modalGuard.get(), [readOnly](QFileDialog* dialog) {
        chooseFile(dialog, readOnly); // no overwrite question
    });
    QString message;
    bool shown = false;
    whenModal<QMessageBox>(modalGuard.get(), [&](QMessageBox* box) {
        message = box->text();
        shown = true;
        box->button(QMessageBox::Ok)->click();
    });
    action("FileSave1")->trigger();
    ASSERT_TRUE(shown) << "no error box";
    EXPECT_EQ(message, "Unable to write to " + readOnly + ": " + systemMessage(EACCES));
    EXPECT_EQ(bytesOf(readOnly), QByteArray("kept\r\n"));
    EXPECT_FALSE(form->documents().DataSaved);
}

// The period in use is never below 1 ms, whatever the field holds or a file brings; the
// field keeps its text.
TEST_F(DocumentTest, ATinyPeriodIsUsedAsOneMillisecond) {
    openWindow();
    QLineEdit* period = edit("Edit6");
    period->clear();
    QTest::keyClicks(period, "0.000001");
    EXPECT_EQ(period->text(), "0.000001");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.001);

    form->documents().DataSaved = true;
    startRun();
    ticks(2);
    click("BitBtn3");
    // 0.325 s of run time (0.110 s to the first tick, two ticks of 0.105 s and the 5 ms
    // between them) at 1 ms: about 325 points, not hundreds of thousands.
    EXPECT_GE(form->store().Count, 310);
    EXPECT_LE(form->store().Count, 340);

    const QString path = tempPath("tiny.vrd");
    ASSERT_EQ(form->saveToFile(path), "");
    EXPECT_TRUE(bytesOf(path).contains("\r\nPeriod=0.000001\r\n"));
    period->setText("100");
    ASSERT_DOUBLE_EQ(form->periodSeconds(), 0.1);
    ASSERT_EQ(form->openFile(path), "");
    EXPECT_EQ(period->text(), "0.000001");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.001) << "from the data file";

    // And from the settings file at the next start.
    ASSERT_TRUE(form->close());
    openWindow();
    EXPECT_EQ(edit("Edit6")->text(), "0.000001");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.001) << "from the settings file";
}

// What the operator typed, saved from the window and opened in it again, comes back byte
// for byte: non-breaking spaces, empty lines, lines that look like section headers.
TEST_F(DocumentTest, AFileSavedFromTheWindowOpensInItWhole) {
    openWindow();
    const QString nbsp(QChar(0x00A0));
    // Key by key; a character beyond ASCII arrives as the text of a key, as a keyboard
    // layout with that character gives it.
    auto type = [](QWidget* w, const QString& text) {
        for (QChar c : text) {
            if (c == '\n') QTest::keyClick(w, Qt::Key_Return);
            else if (c.unicode() < 0x80) QTest::keyClick(w, c.toLatin1());
            else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    };
    auto* memo1 = control<QPlainTextEdit>("Memo1");
    auto* memo2 = control<QPlainTextEdit>("Memo2");
    memo1->clear();
    type(memo1, "L" + QString(QChar(0xF6)) + "sung" + nbsp + "3 " + QChar(0x2013) + " 25" +
                    nbsp + QChar(0xB0) + "C\n[Data]\n\n" + QChar(0xB5) + "A\n");
    memo2->clear();
    type(memo2, "5,10 V1\n[Valves]");
    const std::pair<const char*, QString> fields[] = {{"Edit6", "250"},
                                                      {"Edit3", "50"},
                                                      {"Edit8", "1.5"},
                                                      {"PotentialEdit", "-300"},
                                                      {"PumpEdit", "40" + nbsp}};
    for (const auto& [name, text] : fields) {
        edit(name)->clear();
        type(edit(name), text);
    }
    measure(5);
    EXPECT_EQ(form->controls().lines("Memo1").size(), 4u) << "the final line break ends a line";

    const QString first = tempPath("typed.vrd");
    ASSERT_EQ(form->saveToFile(first), "");
    const QByteArray bytes = bytesOf(first);
    // Windows-1252: o-umlaut F6, no-break space A0, en dash 96, degree B0, micro B5.
    EXPECT_TRUE(bytes.contains("[Info]\r\nL\xF6sung\xA0" "3 \x96 25\xA0\xB0" "C\r\n[Data] \r\n\r\n\xB5" "A\r\n[Data]\r\n"))
        << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("[Valves]\r\n5,10 V1\r\n[Valves] \r\n[Info]\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nPump=40\xA0\r\n"));
    const PointStore saved = form->store();

    // Everything changed, then the file opened again.
    memo1->setPlainText("other");
    memo2->setPlainText("other");
    edit("Edit6")->setText("100");
    edit("PumpEdit")->setText("50");
    answerQuestion(QMessageBox::No);
    action("FileNew1")->trigger();
    ASSERT_EQ(form->openFile(first), "");
    EXPECT_EQ(form->controls().lines("Memo1"),
              (std::vector<std::string>{("L\u00F6sung\u00A03 \u2013 25\u00A0\u00B0C"), "[Data] ", "",
                                        "\u00B5A"}));
    EXPECT_EQ(form->controls().lines("Memo2"), (std::vector<std::string>{"5,10 V1", "[Valves] "}));
    EXPECT_EQ(edit("PumpEdit")->text(), "40" + nbsp);
    EXPECT_EQ(edit("Edit6")->text(), "250");
    EXPECT_DOUBLE_EQ(form->periodSeconds(), 0.25);
    ASSERT_EQ(form->store().Count, saved.Count);

    // Saved again, the same bytes.
    const QString second = tempPath("again.vrd");
    ASSERT_EQ(form->saveToFile(second), "");
    EXPECT_EQ(bytesOf(second), bytes);
}

// A description that is one empty line is one line, not none.
TEST_F(DocumentTest, ADescriptionOfOneEmptyLineComesBack) {
    openWindow();
    auto* memo1 = control<QPlainTextEdit>("Memo1");
    memo1->clear();
    QTest::keyClick(memo1, Qt::Key_Return);
    ASSERT_EQ(form->controls().lines("Memo1"), std::vector<std::string>{""});
    measure(2);
    const QString path = tempPath("empty.vrd");
    ASSERT_EQ(form->saveToFile(path), "");
    EXPECT_TRUE(bytesOf(path).contains("[Info]\r\n\r\n[Data]\r\n"));
    memo1->setPlainText("x");
    ASSERT_EQ(form->openFile(path), "");
    EXPECT_EQ(form->controls().lines("Memo1"), std::vector<std::string>{""});
    const QString again = tempPath("again.vrd");
    ASSERT_EQ(form->saveToFile(again), "");
    EXPECT_EQ(bytesOf(again), bytesOf(path));
}

// Non-breaking spaces survive the settings file too.
TEST_F(DocumentTest, NonBreakingSpacesSurviveARestart) {
    openWindow();
    const QString nbsp(QChar(0x00A0));
    control<QPlainTextEdit>("Memo1")->setPlainText("a" + nbsp + "b\nc" + nbsp);
    control<QPlainTextEdit>("Memo2")->setPlainText("10" + nbsp + "V1");
    edit("PumpEdit")->setText("50" + nbsp);
    ASSERT_TRUE(form->close());
    openWindow();
    EXPECT_EQ(form->controls().lines("Memo1"),
              (std::vector<std::string>{"a\u00A0b", "c\u00A0"}));
    EXPECT_EQ(form->controls().lines("Memo2"), std::vector<std::string>{"10\u00A0V1"});
    EXPECT_EQ(edit("PumpEdit")->text(), "50" + nbsp);
}

} // namespace
