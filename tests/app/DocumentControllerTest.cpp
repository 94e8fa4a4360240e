#include "FakeDocumentWindow.h"

#include "app/DocumentController.h"
#include "documents/DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varentis;
using Answer = DocumentWindow::Answer;

namespace {

enum class Choice { None, Cancel, Writable, Unwritable, Existing, Missing };

class DocumentControllerTest : public ::testing::Test {
protected:
    // A document saved as before.vrd, with points added since.
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window.points.clear();
        window.errors.clear();
        window.questions.clear();
        for (int i = 0; i < 5; ++i) window.points.append(0.1 * i, 1e-9 * i);
        documents.CurrentFileName = path("before.vrd");
        window.caption = "Varentis - [before.vrd]";
        documents.DataSaved = false;
        // A file of three points to open.
        PointStore three;
        for (int i = 0; i < 3; ++i) three.append(0.5 * i, 2e-9);
        QFile file(path("existing.vrd"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(writeDataFile(window.fields, three, {})));
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    std::optional<QString> chosen(Choice choice) const {
        switch (choice) {
        case Choice::Writable: return path("chosen.vrd");
        case Choice::Unwritable: return path("no-such-folder/chosen.vrd");
        case Choice::Existing: return path("existing.vrd");
        case Choice::Missing: return path("missing.vrd");
        default: return std::nullopt;
        }
    }

    QTemporaryDir folder;
    FakeDocumentWindow window;
    DocumentController documents{window, QDir(folder.path()).filePath("journal").toStdString()};
};

// The unsaved-data question before a command that drops the points: whether it is asked,
// whether the command goes on, and what a Yes with its save leaves.
TEST_F(DocumentControllerTest, UnsavedDataQuestionAsksOnlyWhenPointsCanBeLostAndEachAnswerActs) {
    struct Case {
        const char* name;
        bool saved;
        bool withPoints;
        Answer answer;
        Choice saveAs;
        bool asked, goesOn, savedAfter;
        QString fileAfter, captionAfter;
        int errors;
    };
    const QString before = "before.vrd", chosenName = "chosen.vrd";
    const Case cases[] = {
        {"saved", true, true, Answer::Yes, Choice::None, false, true, true, before,
         "Varentis - [before.vrd]", 0},
        {"no points", false, false, Answer::Yes, Choice::None, false, true, false, before,
         "Varentis - [before.vrd]", 0},
        {"Cancel", false, true, Answer::Cancel, Choice::None, true, false, false, before,
         "Varentis - [before.vrd]", 0},
        {"No", false, true, Answer::No, Choice::None, true, true, false, before,
         "Varentis - [before.vrd]", 0},
        {"Yes, save cancelled", false, true, Answer::Yes, Choice::Cancel, true, false, false,
         before, "Varentis - [before.vrd]", 0},
        {"Yes, saved", false, true, Answer::Yes, Choice::Writable, true, true, true, chosenName,
         "Varentis - [chosen.vrd]", 0},
        {"Yes, save failed", false, true, Answer::Yes, Choice::Unwritable, true, false, false,
         before, "Varentis - [before.vrd]", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        documents.DataSaved = c.saved;
        if (!c.withPoints) window.points.clear();
        window.answers = {c.answer};
        window.chosenFiles = {chosen(c.saveAs)};
        window.statusText = "Zoom";

        EXPECT_EQ(documents.resolveUnsavedData(), c.goesOn);
        EXPECT_EQ(window.questions, c.asked ? QStringList{"Data not saved. Save?"} : QStringList{});
        EXPECT_EQ(documents.DataSaved, c.savedAfter);
        EXPECT_EQ(QFileInfo(documents.CurrentFileName).fileName(), c.fileAfter);
        EXPECT_EQ(window.caption, c.captionAfter);
        EXPECT_EQ(window.errors.size(), c.errors);
        EXPECT_EQ(window.statusText, "Zoom") << "a save gives the status panel back";
    }
}

// New, Open and Save from an unsaved document with a file name, the question answered No:
// the saved state, the file name and the caption each leaves, and what it shows.
TEST_F(DocumentControllerTest, CommandsLeaveTheSavedStateFileNameAndCaption) {
    enum class Command { New, Open, Save };
    struct Case {
        const char* name;
        Command command;
        Choice choice;
        bool running;
        bool savedAfter;
        QString fileAfter, captionAfter, errorStart;
        int pointsAfter;
        bool runningAfter;
    };
    const QString writeError = "Unable to write to " + path("no-such-folder/chosen.vrd") + ": ";
    const QString readError = "Unable to read " + path("missing.vrd") + ": ";
    const Case cases[] = {
        {"New", Command::New, Choice::None, false, false, "", "Varentis", "", 0, false},
        {"Save", Command::Save, Choice::Writable, true, true, "chosen.vrd",
         "Varentis - [chosen.vrd]", "", 5, true},
        {"Save failed", Command::Save, Choice::Unwritable, false, false, "before.vrd",
         "Varentis - [before.vrd]", writeError, 5, false},
        {"Save cancelled", Command::Save, Choice::Cancel, false, false, "before.vrd",
         "Varentis - [before.vrd]", "", 5, false},
        {"Open during a run", Command::Open, Choice::Existing, true, true, "existing.vrd",
         "Varentis - [existing.vrd]", "", 3, false},
        {"Open failed", Command::Open, Choice::Missing, true, false, "before.vrd",
         "Varentis - [before.vrd]", readError, 5, true},
        {"Open cancelled", Command::Open, Choice::Cancel, false, false, "before.vrd",
         "Varentis - [before.vrd]", "", 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        window.running = c.running;
        window.answers = {Answer::No};
        window.chosenFiles = {chosen(c.choice)};
        switch (c.command) {
        case Command::New: documents.FileNew1Execute(); break;
        case Command::Open: documents.FileOpen1Execute(); break;
        case Command::Save: documents.FileSave1Execute(); break;
        }
        EXPECT_EQ(documents.DataSaved, c.savedAfter);
        EXPECT_EQ(QFileInfo(documents.CurrentFileName).fileName(), c.fileAfter);
        EXPECT_EQ(window.caption, c.captionAfter);
        EXPECT_EQ(window.points.Count, c.pointsAfter);
        EXPECT_EQ(window.running, c.runningAfter);
        if (c.errorStart.isEmpty()) {
            EXPECT_TRUE(window.errors.isEmpty()) << window.errors.join("|").toStdString();
        } else {
            ASSERT_EQ(window.errors.size(), 1);
            EXPECT_TRUE(window.errors[0].startsWith(c.errorStart)) << window.errors[0].toStdString();
        }
    }
}

// A new run's document has no file until it is saved; the save borrows the status panel.
TEST_F(DocumentControllerTest, RunDocumentHasNoFileUntilSaved) {
    window.statusText = "Measuring";
    documents.startRunDocument();
    EXPECT_TRUE(documents.CurrentFileName.isEmpty());
    EXPECT_EQ(window.caption, "Varentis");
    EXPECT_FALSE(documents.DataSaved);

    ASSERT_EQ(documents.saveToFile(path("run.vrd")), "");
    EXPECT_EQ(window.statuses, (QStringList{"Saving", "Measuring"}));
    EXPECT_TRUE(documents.DataSaved);
    EXPECT_EQ(window.caption, "Varentis - [run.vrd]");
}

} // namespace
