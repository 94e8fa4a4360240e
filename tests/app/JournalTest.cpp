// The run journal in the window, and the program killed in the middle of a run.
#include "AppFixture.h"

#include "documents/AtomicFile.h"
#include "documents/JournalFiles.h"
#include "documents/OrphanJournal.h"
#include "documents/RunJournal.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <random>
#include <thread>

namespace varentis::test {

namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

std::string fileBytes(const QString& path) { return fileBytes(std::filesystem::path(path.toStdString())); }

// The question's date and time as the window shows them.
QString startText(std::int64_t startSeconds) {
    return QDateTime::fromSecsSinceEpoch(startSeconds).toLocalTime().toString("yyyy-MM-dd HH:mm");
}

// Points the window's journal of this run must hold: exactly what Save writes now. Each test
// has a state folder of its own.
class JournalWindowTest : public AppTest {
protected:
    JournalWindowTest() : testState_(qgetenv("XDG_STATE_HOME")) {
        qputenv("XDG_STATE_HOME", tempPath("state").toLocal8Bit());
    }
    ~JournalWindowTest() override {
        app.reset();
        qputenv("XDG_STATE_HOME", testState_);
    }
    // Presses `button` in the next question while `context` lives; notes its text.
    static void answer(QObject* context, QMessageBox::StandardButton button, QString* text,
                       bool* asked, int tries = 500) {
        whenModal<QMessageBox>(context, [=](QMessageBox* box) {
            *asked = true;
            *text = box->text();
            box->button(button)->click();
        }, tries);
    }

    RunJournal& journal() { return form->documents().journal(); }
    std::filesystem::path journalPath() {
        journal().writer().flush();
        return journal().writer().path();
    }
    std::string whatSaveWrites() {
        return writeDataFile(form->controls(), form->store(), form->documents().dataColumns());
    }
    // Points taken: the run's events are drained into the window as the program does.
    void measure(int tickCount) { ticks(tickCount); }
    std::filesystem::path stateFolder() {
        return journalFolder(qgetenv("XDG_STATE_HOME").constData(), nullptr);
    }

private:
    QByteArray testState_;
};

} // namespace

TEST_F(JournalWindowTest, FollowsTheRunAndGoesWithSaveNewAndAnAnsweredExit) {
    openWindow();
    form->documents().DataSaved = true;
    EXPECT_TRUE(journalPath().empty()) << "no run, no journal";
    startRun();
    measure(5);
    const std::filesystem::path path = journalPath();
    ASSERT_FALSE(path.empty()) << journal().writer().lastError();
    EXPECT_EQ(path.parent_path(), stateFolder());
    ASSERT_GT(form->store().Count, 0);
    EXPECT_EQ(fileBytes(path), whatSaveWrites());

    // Save in the middle of the run: the journal goes with it, and the points that come after
    // the save are unsaved again and begin a journal of the whole run.
    const std::string journalBytes = fileBytes(path);
    ASSERT_TRUE(form->saveToFile(tempPath("mid.vrd")).isEmpty());
    EXPECT_EQ(fileBytes(tempPath("mid.vrd")), journalBytes) << "journal == Save, byte for byte";
    EXPECT_TRUE(form->documents().DataSaved);
    EXPECT_TRUE(journalPath().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    measure(2);
    EXPECT_FALSE(form->documents().DataSaved) << "points after the save are not saved";
    ASSERT_FALSE(journalPath().empty());
    EXPECT_EQ(fileBytes(journalPath()), whatSaveWrites());

    // A description typed during the run reaches the journal within a second.
    form->Memo1->setPlainText("typed while measuring");
    QElapsedTimer waited;
    waited.start();
    while (fileBytes(journalPath()) != whatSaveWrites() && waited.elapsed() < 3000)
        QTest::qWait(50);
    EXPECT_EQ(fileBytes(journalPath()), whatSaveWrites());
    EXPECT_LT(waited.elapsed(), 1500);

    click("BitBtn3");
    EXPECT_EQ(fileBytes(journalPath()), whatSaveWrites()) << "a stopped run keeps its journal";

    // New, with "No" in the question: the points are given up, so is the journal.
    answerQuestion(QMessageBox::No);
    form->FileNew1Execute();
    EXPECT_EQ(form->store().Count, 0);
    EXPECT_TRUE(journalPath().empty());

    // Exit with the question answered.
    form->documents().DataSaved = true; // New left nothing to save
    startRun();
    measure(3);
    const std::filesystem::path last = journalPath();
    ASSERT_FALSE(last.empty());
    answerQuestion(QMessageBox::No);
    form->close();
    journal().writer().flush();
    EXPECT_FALSE(std::filesystem::exists(last));
    EXPECT_TRUE(findOrphanJournals(stateFolder()).empty());
}

TEST_F(JournalWindowTest, CancelledExitKeepsTheJournalAndTheRun) {
    openWindow();
    form->documents().DataSaved = true;
    startRun();
    measure(3);
    const std::filesystem::path path = journalPath();
    answerQuestion(QMessageBox::Cancel);
    form->close();
    EXPECT_EQ(form->runState(), RunState::Running);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(JournalWindowTest, StartUpOffersWhatAProgramThatDidNotCloseLeft) {
    struct Case {
        QMessageBox::StandardButton answer;
        bool recovered;
        bool keptOnDisk;
    };
    const Case cases[] = {
        {QMessageBox::Yes, true, false},
        {QMessageBox::No, false, true},
        {QMessageBox::Discard, false, false}, // "Delete"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        // A program that measured with the potentiostat and a description, then died: its
        // window went without closing.
        openWindow();
        form->documents().DataSaved = true;
        form->Memo1->setPlainText("Sample 7\n\xC3\xA9lectrode 2"); // "é" in the head
        ASSERT_TRUE(form->UsingPotentiostat->isChecked());
        startRun();
        measure(12);
        click("BitBtn3");
        const std::filesystem::path path = journalPath();
        const std::string left = fileBytes(path);
        const int points = form->store().Count;
        ASSERT_GT(points, 0);
        app.reset();

        // The next start, with other settings in its window.
        openWindow();
        form->Memo1->setPlainText("another day");
        form->ComboBox1->setCurrentText("pA");
        QString text;
        bool asked = false;
        QObject round;
        answer(&round, c.answer, &text, &asked);
        form->documents().offerJournalRecovery();
        EXPECT_TRUE(asked);
        EXPECT_EQ(text, QString("Recover the unsaved measurement of %1 (%2 points)?")
                            .arg(startText(*journalStartSeconds(path.filename().string())))
                            .arg(points));
        EXPECT_EQ(std::filesystem::exists(path), c.keptOnDisk);
        if (c.recovered) {
            EXPECT_EQ(form->store().Count, points);
            EXPECT_FALSE(form->documents().DataSaved);
            EXPECT_TRUE(form->documents().CurrentFileName.isEmpty());
            EXPECT_EQ(form->windowTitle(), "Varentis");
            EXPECT_EQ(form->Memo1->toPlainText(), "Sample 7\n\xC3\xA9lectrode 2");
            // The recovered run is this program's now: its own journal holds it.
            EXPECT_EQ(fileBytes(journalPath()), left);
            ASSERT_TRUE(form->saveToFile(tempPath("recovered.vrd")).isEmpty());
            EXPECT_EQ(fileBytes(tempPath("recovered.vrd")), left);
        } else {
            EXPECT_EQ(form->store().Count, 0);
            EXPECT_TRUE(form->documents().DataSaved);
            EXPECT_EQ(form->Memo1->toPlainText(), "another day");
        }
        // A later start offers again only what was kept; Delete ends it.
        bool askedAgain = false;
        answer(&round, QMessageBox::Discard, &text, &askedAgain, 20);
        form->documents().offerJournalRecovery();
        QTest::qWait(250);
        EXPECT_EQ(askedAgain, c.keptOnDisk);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(findOrphanJournals(stateFolder()).empty());
        app.reset();
    }
}

// The real program, killed (SIGKILL) at random moments of an unattended run. Its journal must
// hold every point taken up to a second before the kill, and recovering it in a window gives a
// file that is byte for byte what a Save of those points writes.
class KillTest : public JournalWindowTest {
protected:
    static constexpr double kSpeed = 10;   // simulated clock against real time
    static constexpr double kPeriod = 0.1; // s of measurement time, the default

    void startProgram(QProcess& process, const QString& state) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", state);
        process.setProcessEnvironment(env);
        process.setProgram(VARENTIS_EXECUTABLE);
        process.setArguments({"-platform", "offscreen", "--ini", tempPath("v.ini"), "--run", "600",
                              "--sim-speed", QString::number(kSpeed)});
        process.start();
        ASSERT_TRUE(process.waitForStarted());
    }
    static QStringList journals(const QString& state) {
        return QDir(state + "/Varentis").entryList({"run-*.vrd"}, QDir::Files, QDir::Name);
    }
    // Waits for `count` journals in the folder; the moment the last appeared.
    static bool waitForJournals(const QString& state, int count, QElapsedTimer& seen) {
        QElapsedTimer waited;
        waited.start();
        while (journals(state).size() < count) {
            if (waited.elapsed() > 30000) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        seen.start();
        return true;
    }
};

TEST_F(KillTest, RecoveredPointsAreEveryPointUpToASecondBeforeTheKill) {
    std::mt19937 rng(15);
    std::uniform_real_distribution<double> moment(1.2, 4.0);
    const double moments[] = {0.05, moment(rng), moment(rng), moment(rng)};
    const QByteArray testState = qgetenv("XDG_STATE_HOME");
    for (int kill = 0; kill < 4; ++kill) {
        const QString state = tempPath(QString("state%1").arg(kill));
        SCOPED_TRACE(QString("kill %1 s into the run").arg(moments[kill]).toStdString());
        QProcess process;
        startProgram(process, state);
        QElapsedTimer sinceRunStart;
        ASSERT_TRUE(waitForJournals(state, 1, sinceRunStart)) << "no journal appeared";
        std::this_thread::sleep_for(std::chrono::duration<double>(moments[kill]));
        const double elapsed = static_cast<double>(sinceRunStart.nsecsElapsed()) * 1e-9;
        process.kill();
        ASSERT_TRUE(process.waitForFinished());
        ASSERT_EQ(process.exitStatus(), QProcess::CrashExit);

        const QStringList left = journals(state);
        ASSERT_EQ(left.size(), 1);
        const std::string bytes(wholeLines(fileBytes(state + "/Varentis/" + left[0])));
        const std::size_t count = dataLineCount(bytes);
        // Points are due every period of measurement time; the run's clock started when its
        // journal appeared or a little after. A point or two of slack for that start.
        const double deadline = (elapsed - 1.0) * kSpeed;
        const long due = deadline < 0 ? 0 : static_cast<long>(deadline / kPeriod) + 1;
        EXPECT_GE(static_cast<long>(count), due - 2) << elapsed << " s after the run started";
        // The first `count` points of the run, in order, none missing.
        const std::string data = bytes.substr(bytes.find("[Data]\r\n") + 8);
        std::size_t at = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string expected = QString::number(kPeriod * i, 'f', 2).toStdString() + "\t";
            ASSERT_EQ(data.compare(at, expected.size(), expected), 0) << "point " << i;
            at = data.find("\r\n", at) + 2;
        }

        // The next start in a window offers it; Yes, then Save.
        qputenv("XDG_STATE_HOME", state.toLocal8Bit());
        openWindow();
        QString text;
        bool asked = false;
        QObject round;
        answer(&round, QMessageBox::Yes, &text, &asked);
        form->documents().offerJournalRecovery();
        if (count == 0) {
            EXPECT_FALSE(asked) << "killed before its first point: nothing to recover";
            EXPECT_TRUE(journals(state).isEmpty());
        } else {
            EXPECT_TRUE(text.endsWith(QString(" (%1 points)?").arg(count))) << text.toStdString();
            ASSERT_EQ(form->store().Count, static_cast<int>(count));
            ASSERT_TRUE(form->saveToFile(tempPath("recovered.vrd")).isEmpty());
            EXPECT_EQ(fileBytes(tempPath("recovered.vrd")), bytes);
        }
        app.reset();
        qputenv("XDG_STATE_HOME", testState);
    }
}

TEST_F(KillTest, TwoProgramsAtOnceKeepAJournalEachAndOnlyAKilledOneIsOffered) {
    const QString state = tempPath("state");
    QProcess first, second;
    startProgram(first, state);
    QElapsedTimer seen;
    ASSERT_TRUE(waitForJournals(state, 1, seen));
    startProgram(second, state);
    ASSERT_TRUE(waitForJournals(state, 2, seen));
    const std::filesystem::path folder = (state + "/Varentis").toStdString();
    EXPECT_TRUE(findOrphanJournals(folder).empty()) << "both programs are running";

    // Long enough for points on disk: a journal without a point holds nothing to offer.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const qint64 firstPid = first.processId();
    first.kill();
    ASSERT_TRUE(first.waitForFinished());
    {
        const std::vector<OrphanJournal> orphans = findOrphanJournals(folder);
        ASSERT_EQ(orphans.size(), 1u);
        EXPECT_NE(orphans[0].path().filename().string().find(
                      "-" + std::to_string(firstPid) + ".vrd"),
                  std::string::npos)
            << orphans[0].path();
    }
    second.kill();
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_EQ(findOrphanJournals(folder).size(), 2u);
}

} // namespace varentis::test
