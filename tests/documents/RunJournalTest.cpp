#include "documents/RunJournal.h"

#include "FakeControls.h"
#include "documents/AtomicFile.h"
#include "documents/JournalFiles.h"
#include "documents/OrphanJournal.h"
#include "documents/SettingsFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace varentis;
using namespace std::literals;
namespace fs = std::filesystem;

namespace {

std::string fileBytes(const fs::path& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<fs::path> journalsIn(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder)) found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

class JournalTest : public ::testing::Test {
protected:
    JournalTest() {
        char pattern[] = "/tmp/varentis-journal-XXXXXX";
        base = mkdtemp(pattern);
        folder = base / "Varentis";
        columns.periodSeconds = 0.1;
    }
    ~JournalTest() override { fs::remove_all(base); }

    // A point every 0.1 s, with a signal and a cell current that need their decimals.
    void addPoints(int n) {
        for (int i = 0; i < n; ++i) {
            const double t = 0.1 * points.Count;
            points.append(t, (1.234 + points.Count) * 1e-9, -2.5e-12 * points.Count);
        }
    }

    fs::path base, folder;
    FakeControls controls = defaultControls();
    PointStore points;
    DataColumns columns;
    static constexpr std::int64_t kStart = 1'718'112'612; // 2024-06-11 13:30:12 UTC
};

} // namespace

TEST(JournalNames, FolderFollowsXdgStateHomeOrTheHomeFolder) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/state", "/home/u", "/state/Varentis"},
        {nullptr, "/home/u", "/home/u/.local/state/Varentis"},
        {"", "/home/u", "/home/u/.local/state/Varentis"},
        {"relative/state", "/home/u", "/home/u/.local/state/Varentis"}, // invalid: ignored
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)"));
        EXPECT_EQ(journalFolder(c.xdg, c.home), fs::path(c.expected));
    }
}

TEST(JournalNames, NameCarriesTheRunStartAndTheProcess) {
    EXPECT_EQ(journalFileName(1'718'112'612, 4711, 0), "run-20240611T133012Z-4711.vrd");
    EXPECT_EQ(journalFileName(1'718'112'612, 4711, 2), "run-20240611T133012Z-4711-2.vrd");
    for (std::int64_t start : {std::int64_t{0}, std::int64_t{951'782'400}, std::int64_t{4'102'444'799}})
        EXPECT_EQ(journalStartSeconds(journalFileName(start, 99, 1)), start);

    for (const char* name :
         {"run-20240611T133012Z.vrd", "run-20240611T133012-4711.vrd", "run-2024061T133012Z-1.vrd",
          "run-20241311T133012Z-1.vrd", "run-20240611T133012Z-47x1.vrd", "out.vrd",
          "run-20240611T133012Z-4711.vrd.tmp", ".run-4711-0.tmp"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(journalStartSeconds(name).has_value());
    }
}

// The start-up sweep removes what a writer leaves behind only when it knows the name.
TEST(JournalNames, AWritersTemporaryFileIsKnownForOneAndNeverForAJournal) {
    const struct {
        const char* name;
        bool temp;
    } cases[] = {{".run-4711-0.tmp", true},        {".run-1-12.tmp", true},
                 {"run-4711-0.tmp", false},        {".run-4711-0.vrd", false},
                 {"run-20240611T133012Z-4711.vrd", false}};
    for (const auto& c : cases) EXPECT_EQ(isJournalTempFileName(c.name), c.temp) << c.name;
    for (const std::string& name : {journalTempFileName(4711, 0), journalTempFileName(1, 12)}) {
        EXPECT_TRUE(isJournalTempFileName(name)) << name;
        EXPECT_FALSE(journalStartSeconds(name).has_value()) << name;
    }
    EXPECT_EQ(journalTempFileName(4711, 0), ".run-4711-0.tmp");
}

TEST(JournalNames, OnlyATornLastLineIsDropped) {
    struct Case {
        std::string_view bytes, kept;
    };
    const Case cases[] = {
        {"[Data]\r\n0.00\t1.00\r\n", "[Data]\r\n0.00\t1.00\r\n"},
        {"[Data]\r\n0.00\t1.00\r\n0.1", "[Data]\r\n0.00\t1.00\r\n"},
        {"[Data]\r\n0.00\t1.00\r\n0.10\t2.00\r", "[Data]\r\n0.00\t1.00\r\n"},
        {"[Data]\r\n0.00\t1.00\r\n\0\0\0"sv, "[Data]\r\n0.00\t1.00\r\n"}, // zeros after a power cut
        {"[Setup]\r\nPeri", "[Setup]\r\n"},
        {"[Set", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(wholeLines(c.bytes), c.kept);
}

TEST_F(JournalTest, TheJournalIsWhatSaveWouldWriteAtEveryStep) {
    controls.setChecked("UsingPotentiostat", true);
    controls.setLines("Memo1", {"Sample 7, ", "\xC3\xA9lectrode"}); // é: a Windows-1252 head
    points.startRun(100, true);
    RunJournal journal(folder);
    journal.runStarted(kStart, controls, points, columns);
    journal.writer().flush();
    const fs::path path = journal.writer().path();
    ASSERT_FALSE(path.empty()) << journal.writer().lastError();
    EXPECT_EQ(path.filename().string().rfind("run-20240611T133012Z-" + std::to_string(getpid()), 0), 0u);
    EXPECT_EQ(fileBytes(path), writeDataFile(controls, points, columns)) << "the head alone";

    for (int round = 0; round < 5; ++round) {
        addPoints(7);
        journal.pointsStored(controls, points, columns);
        journal.writer().flush();
        EXPECT_EQ(fileBytes(path), writeDataFile(controls, points, columns)) << "round " << round;
    }
    EXPECT_FALSE(journal.checkSettings(controls, points, columns)) << "nothing changed";

    // Settings that change the head or the columns while the run goes on: the whole journal
    // is written anew, as Save would write it now.
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"description", [&] { controls.setLines("Memo1", {"typed during the run"}); }},
        {"period decimals", [&] { columns.periodSeconds = 0.025; }},
        {"signal unit", [&] { columns.factors.signal = 1e-12; columns.YDecimals = 0; }},
        {"potentiostat off", [&] { controls.setChecked("UsingPotentiostat", false); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.apply();
        EXPECT_TRUE(journal.checkSettings(controls, points, columns));
        addPoints(3);
        journal.pointsStored(controls, points, columns);
        journal.writer().flush();
        EXPECT_EQ(fileBytes(path), writeDataFile(controls, points, columns));
        EXPECT_TRUE(findOrphanJournals(folder).empty()) << "a rewritten journal stays held";
    }
}

TEST_F(JournalTest, SaveRemovesItAndPointsAfterASaveBeginTheWholeRunAgain) {
    points.startRun(100, false);
    RunJournal journal(folder);
    journal.runStarted(kStart, controls, points, columns);
    addPoints(5);
    journal.pointsStored(controls, points, columns);
    journal.writer().flush();
    const fs::path first = journal.writer().path();
    ASSERT_TRUE(fs::exists(first));

    journal.discard(points); // saved
    journal.writer().flush();
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(journal.writer().path().empty());
    journal.pointsStored(controls, points, columns);
    journal.writer().flush();
    EXPECT_TRUE(journal.writer().path().empty()) << "nothing new since the save";

    addPoints(1); // the run goes on after the save
    journal.pointsStored(controls, points, columns);
    journal.writer().flush();
    ASSERT_FALSE(journal.writer().path().empty());
    EXPECT_EQ(fileBytes(journal.writer().path()), writeDataFile(controls, points, columns));
    EXPECT_EQ(journal.writer().path().filename(), first.filename()) << "the same run's start";

    // A new run replaces the journal of the last one.
    const fs::path second = journal.writer().path();
    points.startRun(100, false);
    journal.runStarted(kStart + 60, controls, points, columns);
    journal.writer().flush();
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(journalsIn(folder), std::vector<fs::path>{journal.writer().path()});
}

TEST_F(JournalTest, AJournalLeftBehindIsFoundOnceAndOnlyWhenNobodyHoldsIt) {
    points.startRun(100, false);
    fs::path path;
    std::string expected;
    {
        RunJournal live(folder);
        live.runStarted(kStart, controls, points, columns);
        addPoints(12);
        live.pointsStored(controls, points, columns);
        live.writer().flush();
        path = live.writer().path();
        expected = writeDataFile(controls, points, columns);

        // A second program at the same time has a journal of its own.
        RunJournal other(folder);
        other.runStarted(kStart, controls, points, columns);
        other.writer().flush();
        EXPECT_NE(other.writer().path(), path);
        EXPECT_TRUE(findOrphanJournals(folder).empty()) << "both are held by running programs";
        other.discard(points);
    } // this program ends without closing: its journal stays, unheld

    std::vector<OrphanJournal> orphans = findOrphanJournals(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(orphans[0].path(), path);
    EXPECT_EQ(orphans[0].startSeconds(), kStart);
    EXPECT_EQ(orphans[0].pointCount(), 12u);
    EXPECT_EQ(orphans[0].bytes(), expected);
    EXPECT_TRUE(findOrphanJournals(folder).empty()) << "held while it is being offered";

    orphans.clear(); // No: kept for a later start
    orphans = findOrphanJournals(folder);
    ASSERT_EQ(orphans.size(), 1u);
    orphans[0].discard();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(findOrphanJournals(folder).empty());
}

TEST_F(JournalTest, ScanDropsATornLineDeletesEmptyJournalsAndUnfinishedWrites) {
    fs::create_directories(folder);
    const std::string whole = "[Setup]\r\nPeriod=100\r\n[Data]\r\n0.00\t1.50\r\n0.10\t2.50\r\n";
    writeBytes(folder / journalFileName(kStart + 10, 101, 0), whole + "0.20\t3.");
    writeBytes(folder / journalFileName(kStart, 102, 0), whole);
    writeBytes(folder / journalFileName(kStart + 5, 103, 0), "[Setup]\r\nPeriod=100\r\n[Data]\r\n");
    writeBytes(folder / journalFileName(kStart + 6, 104, 0), "[Setup]\r\nPeri");
    writeBytes(folder / ".run-105-0.tmp", whole);
    const auto old = fs::last_write_time(folder / ".run-105-0.tmp") - std::chrono::minutes(2);
    fs::last_write_time(folder / ".run-105-0.tmp", old);
    writeBytes(folder / ".run-106-0.tmp", whole); // just made: a writer is about to lock it
    writeBytes(folder / "notes.vrd", whole); // not a journal: left alone

    const std::vector<OrphanJournal> orphans = findOrphanJournals(folder);
    ASSERT_EQ(orphans.size(), 2u);
    EXPECT_EQ(orphans[0].startSeconds(), kStart) << "oldest first";
    EXPECT_EQ(orphans[1].startSeconds(), kStart + 10);
    for (const OrphanJournal& o : orphans) {
        EXPECT_EQ(o.bytes(), whole);
        EXPECT_EQ(o.pointCount(), 2u);
    }
    EXPECT_EQ(journalsIn(folder),
              (std::vector<fs::path>{folder / ".run-106-0.tmp", folder / "notes.vrd",
                                     orphans[0].path(), orphans[1].path()}));
}

TEST_F(JournalTest, AnEarlierProgramWithTheSameProcessIdKeepsItsJournal) {
    fs::create_directories(folder);
    const fs::path old = folder / journalFileName(kStart, getpid(), 0);
    writeBytes(old, "[Setup]\r\n[Data]\r\n0.00\t9.99\r\n");
    points.startRun(100, false);
    RunJournal journal(folder);
    journal.runStarted(kStart, controls, points, columns);
    journal.writer().flush();
    EXPECT_EQ(journal.writer().path(), folder / journalFileName(kStart, getpid(), 1));
    EXPECT_EQ(fileBytes(old), "[Setup]\r\n[Data]\r\n0.00\t9.99\r\n");
}

TEST_F(JournalTest, LinesReachTheDiskWithinASecondWithoutAFlush) {
    points.startRun(100, false);
    RunJournal journal(folder);
    journal.runStarted(kStart, controls, points, columns);
    journal.writer().flush();
    const fs::path path = journal.writer().path();
    addPoints(3);
    journal.pointsStored(controls, points, columns);
    const std::string expected = writeDataFile(controls, points, columns);
    const auto handedOver = std::chrono::steady_clock::now();
    while (fileBytes(path) != expected &&
           std::chrono::steady_clock::now() - handedOver < std::chrono::seconds(1))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(fileBytes(path), expected) << "not on disk a second after the points came";
}

TEST_F(JournalTest, AFolderThatCannotBeMadeIsToldAndTheRunGoesOn) {
    writeBytes(base / "file", "x");
    std::vector<std::string> told;
    std::mutex m;
    RunJournal journal(base / "file" / "Varentis");
    journal.writer().setErrorHandler([&](const std::string& message) {
        std::lock_guard lock(m);
        told.push_back(message);
    });
    points.startRun(100, false);
    journal.runStarted(kStart, controls, points, columns);
    addPoints(3);
    journal.pointsStored(controls, points, columns);
    journal.checkSettings(controls, points, columns);
    journal.writer().flush();
    EXPECT_TRUE(journal.writer().path().empty());
    EXPECT_NE(journal.writer().lastError().find("run journal"), std::string::npos);
    std::lock_guard lock(m);
    EXPECT_FALSE(told.empty());
}
