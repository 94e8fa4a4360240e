#include "AppFixture.h"

#include "documents/viewdta.h"
#include "widgets/RadioGroup.h"
#include "widgets/TextMemo.h"

#include <QClipboard>
#include <QFile>
#include <QRadioButton>

using namespace varentis;
using namespace varentis::test;

namespace {

class TextViewTest : public AppTest {
  protected:
    // Edit > View data text; `act` works in the window while it shows, then it closes.
    void viewDataText(std::function<void(TViewdata*)> act) {
        bool shown = false;
        whenModal<TViewdata>(modalGuard.get(), [&](TViewdata* view) {
            shown = true;
            act(view);
            QTest::mouseClick(view->Button1, Qt::LeftButton);
        });
        action("Viewdatatext1")->trigger();
        EXPECT_TRUE(shown);
    }
    static void choose(TViewdata* view, int index) {
        auto buttons = view->RadioGroup1->findChildren<QRadioButton*>();
        ASSERT_EQ(buttons.size(), 2);
        QTest::mouseClick(buttons[index], Qt::LeftButton);
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    void writeIni(const QByteArray& bytes) {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

const char* const kThreePoints = "Point nr\tTime [s]\tSignal [nA]\n"
                                 "0\t0.00\t1.00\n"
                                 "1\t0.10\t2.50\n"
                                 "2\t0.20\t-0.25";

TEST_F(TextViewTest, EveryPointUnderAHeaderWithTheAxisUnits) {
    openWindow();
    form->store().assign({0.0, 0.1, 0.2}, {1e-9, 2.5e-9, -0.25e-9}, {});
    viewDataText([](TViewdata* view) {
        EXPECT_EQ(view->windowTitle(), "View text");
        EXPECT_EQ(view->RadioGroup1->items(), QStringList({"Data", "Ini file"}));
        EXPECT_EQ(view->RadioGroup1->itemIndex(), 0);
        EXPECT_EQ(view->BitBtn1->toolTip(), "Copy data to clipboard");
        EXPECT_EQ(view->Button1->text(), "&Close");
        EXPECT_TRUE(view->Button1->isDefault());
        // Point 0 is listed too, as in the data file.
        EXPECT_EQ(view->Memo1->toPlainText(), kThreePoints);
    });

    // Other units: the header names them, the numbers are in them.
    control<QComboBox>("ComboBox2")->setCurrentIndex(1); // min
    control<QComboBox>("ComboBox1")->setCurrentIndex(0); // pA
    form->Timer2Timer();
    viewDataText([](TViewdata* view) {
        EXPECT_EQ(view->Memo1->line(0), "Point nr\tTime [min]\tSignal [pA]");
        EXPECT_TRUE(view->Memo1->line(2).startsWith("1\t")) << view->Memo1->line(2).toStdString();
        EXPECT_TRUE(view->Memo1->line(2).endsWith("\t2500.00"))
            << view->Memo1->line(2).toStdString();
    });
}

TEST_F(TextViewTest, WithoutPointsTheViewSaysNoData) {
    openWindow();
    viewDataText([](TViewdata* view) { EXPECT_EQ(view->Memo1->toPlainText(), "No data"); });
}

TEST_F(TextViewTest, IniFileThenDataAgainAndTheClipboardTakesWhatIsShown) {
    writeIni("[Setup]\r\nPeriod=250\r\n\r\n[Colors]\r\nPMT=16711680\r\n");
    openWindow();
    form->store().assign({0.0, 0.1, 0.2}, {1e-9, 2.5e-9, -0.25e-9}, {});
    viewDataText([this](TViewdata* view) {
        QTest::mouseClick(view->BitBtn1, Qt::LeftButton);
        EXPECT_EQ(clipboard(), kThreePoints);

        choose(view, 1);
        EXPECT_EQ(view->Memo1->toPlainText(), "[Setup]\nPeriod=250\n\n[Colors]\nPMT=16711680");
        QTest::mouseClick(view->BitBtn1, Qt::LeftButton);
        EXPECT_EQ(clipboard(), "[Setup]\nPeriod=250\n\n[Colors]\nPMT=16711680");

        choose(view, 0);
        EXPECT_EQ(view->Memo1->toPlainText(), kThreePoints);

        // The operator's own edits are copied as they stand.
        view->Memo1->setFocus();
        QTest::keyClick(view->Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(view->Memo1, Qt::Key_Return);
        QTest::keyClicks(view->Memo1, "checked");
        QTest::mouseClick(view->BitBtn1, Qt::LeftButton);
        EXPECT_EQ(clipboard(), QString(kThreePoints) + "\nchecked");
        choose(view, 1); // the view closes on "Ini file"
    });
    // The next view opens on the data, made afresh.
    viewDataText([](TViewdata* view) {
        EXPECT_EQ(view->RadioGroup1->itemIndex(), 0);
        EXPECT_EQ(view->Memo1->toPlainText(), kThreePoints);
    });
}

TEST_F(TextViewTest, AMissingSettingsFileIsReportedAndTheTextStays) {
    openWindow();
    ASSERT_FALSE(QFile::exists(iniPath()));
    viewDataText([this](TViewdata* view) {
        QString message;
        whenModal<QMessageBox>(modalGuard.get(), [&message](QMessageBox* box) {
            message = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        choose(view, 1);
        EXPECT_TRUE(message.startsWith("Cannot open file")) << message.toStdString();
        EXPECT_EQ(view->Memo1->toPlainText(), "No data");
    });
}

TEST_F(TextViewTest, ARunIsListedWithTheColumnsOfItsDataFile) {
    openWindow();
    form->documents().DataSaved = true;
    startRun();
    ticks(12);
    click("BitBtn3");
    const int count = form->store().Count;
    ASSERT_GT(count, 5);
    ASSERT_TRUE(form->saveToFile(tempPath("run.vrd")).isEmpty());
    QFile file(tempPath("run.vrd"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList fileLines = QString::fromLatin1(file.readAll()).split("\r\n");
    const qsizetype data = fileLines.indexOf("[Data]");
    ASSERT_GE(data, 0);

    viewDataText([&](TViewdata* view) {
        ASSERT_EQ(view->Memo1->lineCount(), count + 1);
        for (int i = 0; i < count; ++i) {
            // The file's line holds time, signal and cell current; the view the first two.
            const QStringList columns = fileLines[data + 1 + i].split('\t');
            EXPECT_EQ(view->Memo1->line(i + 1),
                      QString::number(i) + "\t" + columns[0] + "\t" + columns[1]);
        }
    });
}

} // namespace
