// File > Print and the page setup, through the windows: the print report dialog with its
// page picture and colours, the margins dialog, the report to a PDF file, the progress box.
#include "AppFixture.h"

#include "documents/SettingsFile.h"
#include "printing/margins.h"
#include "printing/printbox.h"
#include "printing/printwn.h"
#include "widgets/RadioGroup.h"
#include "widgets/Shape.h"

#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolButton>

using namespace varentis;
using namespace varentis::test;

namespace {

// A4 at 600 dpi.
constexpr PaperPixels kA4{4961, 7016, 600, 600};

class PrintTest : public AppTest {
protected:
    // Opens File > Print; `act` works in the print report dialog while it shows. The dialog
    // must be closed by `act`.
    void print(std::function<void(TPrintRep*)> act) {
        bool shown = false;
        whenModal<TPrintRep>(modalGuard.get(), [&](TPrintRep* dialog) {
            shown = true;
            act(dialog);
        });
        action("Print1")->trigger();
        EXPECT_TRUE(shown);
    }
    // Presses "&Margins"; `act` works in the margins dialog, which it must close.
    void margins(TPrintRep* rep, std::function<void(TForm2*)> act) {
        bool shown = false;
        whenModal<TForm2>(modalGuard.get(), [&](TForm2* dialog) {
            shown = true;
            act(dialog);
        });
        QTest::mouseClick(rep->Button4, Qt::LeftButton);
        EXPECT_TRUE(shown);
    }
    // Chooses the PDF file in the printer list, presses "&Print" and names the file.
    void printToPdf(TPrintRep* rep, const QString& path) {
        rep->ComboBox1->setCurrentIndex(rep->ComboBox1->findText(TPrintRep::PdfFile));
        whenModal<QFileDialog>(modalGuard.get(), [path](QFileDialog* dialog) {
            chooseFile(dialog, path, true);
        });
        QTest::mouseClick(rep->Button2, Qt::LeftButton);
    }
    // Clicks a check box on its box: a click beside a short caption misses it.
    static void tick(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    static int pdfPages(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return -1;
        const QByteArray pdf = f.readAll();
        if (!pdf.startsWith("%PDF-")) return -1;
        return static_cast<int>(
            QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")));
    }
    static QColor qcolor(int c) {
        const auto ref = static_cast<ColorRef>(c);
        return QColor(redOf(ref), greenOf(ref), blueOf(ref));
    }
};

TEST_F(PrintTest, TheMenuItemAndTheToolButtonOpenTheDialogWithItsParts) {
    openWindow();
    EXPECT_EQ(action("Print1")->text(), "&Print");
    EXPECT_EQ(action("Printersetup1")->text(), "Pri&nter setup");
    auto* tool = control<QToolButton>("ToolButton8");
    EXPECT_EQ(tool->toolTip(), "Printing of report from measurements");

    bool shown = false;
    whenModal<TPrintRep>(modalGuard.get(), [&](TPrintRep* d) {
        shown = true;
        EXPECT_EQ(d->windowTitle(), "Print report");
        const std::pair<QAbstractButton*, const char*> captions[] = {
            {d->CheckBox1, "Data graph"}, {d->CheckBox2, "Valve graph"},
            {d->CheckBox3, "Info text"},  {d->CheckBox4, "Valve text"},
            {d->CheckBox5, "Grid"},       {d->Button1, "&Font"},
            {d->Button4, "&Margins"},     {d->Button2, "&Print"},
            {d->Button3, "&Cancel"}};
        for (auto [button, text] : captions) EXPECT_EQ(button->text(), text);
        EXPECT_TRUE(d->Button2->isDefault());
        EXPECT_EQ(d->Panel1->toolTip(), "View of printed page");
        EXPECT_EQ(d->Shape1->toolTip(), "Frame color");
        EXPECT_EQ(d->Shape2->toolTip(), "Signal line color");
        EXPECT_EQ(d->Shape4->toolTip(), "Valve line color");
        EXPECT_EQ(d->Label4->toolTip(), "Selection of text color");
        EXPECT_EQ(d->Label5->cursor().shape(), Qt::PointingHandCursor);
        // The printer list ends with the PDF file, for a desktop without a printer.
        EXPECT_EQ(d->ComboBox1->itemText(d->ComboBox1->count() - 1), TPrintRep::PdfFile);
        // Portrait: the page picture as the layout table has it.
        EXPECT_EQ(d->Panel1->geometry(), QRect(16, 24, 57, 81));
        EXPECT_EQ(d->Shape1->geometry(), QRect(8, 49, 41, 25));
        EXPECT_EQ(d->Shape4->geometry(), QRect(12, 40, 33, 3));
        EXPECT_EQ(d->Shape5->geometry(), QRect(20, 49, 17, 25));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    QTest::mouseClick(tool, Qt::LeftButton);
    EXPECT_TRUE(shown);
}

TEST_F(PrintTest, TheTickedBlocksShowInThePictureAndTheGridOnlyWithTheDataGraph) {
    openWindow();
    print([&](TPrintRep* d) {
        auto shows = [d](QWidget* w) { return !w->isHidden(); };
        EXPECT_TRUE(shows(d->Shape1) && shows(d->Shape2) && shows(d->Shape5) && shows(d->Shape6));
        tick(d->CheckBox1); // "Data graph" off
        EXPECT_FALSE(shows(d->Shape1) || shows(d->Shape2));
        EXPECT_FALSE(shows(d->Shape5) || shows(d->Shape6)) << "grid without the data graph";
        EXPECT_TRUE(d->CheckBox5->isChecked());
        tick(d->CheckBox1);
        tick(d->CheckBox5); // "Grid" off
        EXPECT_TRUE(shows(d->Shape1));
        EXPECT_FALSE(shows(d->Shape5) || shows(d->Shape6));
        tick(d->CheckBox2);
        EXPECT_FALSE(shows(d->Shape3) || shows(d->Shape4));
        tick(d->CheckBox3);
        EXPECT_FALSE(shows(d->Label4));
        EXPECT_TRUE(shows(d->Label5));
        tick(d->CheckBox4);
        EXPECT_FALSE(shows(d->Label5));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    // The print flags live in the boxes and reach the settings file.
    form->close();
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Page setup", "Print graph", ""), "1");
    EXPECT_EQ(stored.readString("Page setup", "Print grid", ""), "0");
    EXPECT_EQ(stored.readString("Page setup", "Print valves", ""), "0");
    EXPECT_EQ(stored.readString("Page setup", "Print valve text", ""), "0");
}

TEST_F(PrintTest, ColoursPickedOnThePictureStayWhenTheDialogIsCancelled) {
    openWindow();
    print([&](TPrintRep* d) {
        pickColor(d->Shape1, QColor(255, 0, 0), QPoint(2, 1));
        EXPECT_EQ(d->Shape1->penColor(), QColor(255, 0, 0));
        EXPECT_EQ(d->Shape3->penColor(), QColor(255, 0, 0)) << "both frames";
        pickColor(d->Shape2, QColor(0, 0, 255), QPoint(2, 1));
        EXPECT_EQ(d->Shape2->brushColor(), QColor(0, 0, 255));
        pickColor(d->Shape4, QColor(0, 128, 0), QPoint(2, 1));
        pickColor(d->Shape3, std::nullopt, QPoint(2, 1)); // cancelled: the frame keeps its red
        EXPECT_EQ(d->Shape1->penColor(), QColor(255, 0, 0));
        pickColor(d->Label5, QColor(0, 255, 0), QPoint(2, 1));
        EXPECT_EQ(d->Label4->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        windows->margins->SpinEdit1->setValue(5);
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    const PageSetupValues& page = form->pageValues();
    EXPECT_EQ(qcolor(page.FrameColor), QColor(255, 0, 0));
    EXPECT_EQ(qcolor(page.LineColor), QColor(0, 0, 255));
    EXPECT_EQ(qcolor(page.ValveColor), QColor(0, 128, 0));
    EXPECT_EQ(qcolor(page.FontColor), QColor(0, 255, 0));
    EXPECT_EQ(page.LineWidth, 5);
    // The next print shows them again, and they are written at close.
    print([&](TPrintRep* d) {
        EXPECT_EQ(d->Shape4->penColor(), QColor(0, 128, 0));
        EXPECT_EQ(d->Shape4->brushColor(), QColor(0, 128, 0));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    form->close();
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Page setup", "Frame color", ""), "255");
    EXPECT_EQ(stored.readString("Page setup", "Line color", ""), "16711680");
    EXPECT_EQ(stored.readString("Page setup", "Valve color", ""), "32768");
    EXPECT_EQ(stored.readString("Page setup", "Font color", ""), "65280");
    EXPECT_EQ(stored.readString("Page setup", "Line width", ""), "5");
}

TEST_F(PrintTest, TheFontDialogSetsTheReportFontAndItsCancelKeepsIt) {
    openWindow();
    // The font the dialog gives back: a family of this desktop, in 16 points, bold.
    QFont chosen;
    auto chooseFont = [&](TPrintRep* d, bool accept) {
        whenModal<QFontDialog>(modalGuard.get(), [&chosen, accept](QFontDialog* dialog) {
            QFont font = dialog->currentFont();
            font.setPointSize(accept ? 16 : 30);
            font.setBold(true);
            dialog->setCurrentFont(font);
            if (!accept) {
                dialog->reject();
                return;
            }
            dialog->accept();
            chosen = dialog->selectedFont();
        });
        QTest::mouseClick(d->Button1, Qt::LeftButton);
    };
    print([&](TPrintRep* d) {
        EXPECT_EQ(d->ReportFont.family(), "Arial");
        EXPECT_EQ(d->ReportFont.pointSize(), 12);
        chooseFont(d, true);
        chooseFont(d, false);
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    ASSERT_EQ(chosen.pointSize(), 16);
    const PageSetupValues& page = form->pageValues();
    EXPECT_EQ(page.FontName, chosen.family().toStdString());
    EXPECT_EQ(page.FontSize, 16);
    EXPECT_EQ(page.FontBold, chosen.bold());
    form->close();
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Page setup", "Font size", ""), "16");
    EXPECT_EQ(stored.readString("Page setup", "Font name", ""), chosen.family().toStdString());
}

TEST_F(PrintTest, MarginsDialogSwapsThePaperWithTheOrientationAndCancelKeepsIt) {
    openWindow();
    print([&](TPrintRep* d) {
        windows->margins->paperSize = [] { return kA4; };
        margins(d, [&](TForm2* m) {
            EXPECT_EQ(m->windowTitle(), "Margins");
            EXPECT_EQ(m->GroupBox2->title(), "Size: 21.0 x 29.7 cm");
            EXPECT_EQ(m->Panel1->geometry(), QRect(30, 36, 69, 97));
            QTest::mouseClick(m->RadioGroup1->findChildren<QRadioButton*>().at(1),
                              Qt::LeftButton);
            EXPECT_EQ(m->GroupBox2->title(), "Size: 29.7 x 21.0 cm");
            EXPECT_EQ(m->Panel1->geometry(), QRect(16, 50, 97, 69));
            for (QLineEdit* e : {m->Edit1, m->Edit2, m->Edit3, m->Edit4}) {
                e->selectAll();
                QTest::keyClicks(e, "0");
            }
            EXPECT_EQ(m->Shape1->geometry(), QRect(0, 0, 96, 69)) << "one pixel narrower";
            QTest::mouseClick(m->Button2, Qt::LeftButton); // Cancel
        });
        EXPECT_EQ(d->Orientation, 0) << "cancel keeps the orientation";
        EXPECT_EQ(windows->margins->Edit1->text(), "0") << "typed margins stay";
        margins(d, [&](TForm2* m) {
            EXPECT_EQ(m->RadioGroup1->itemIndex(), 0);
            QTest::mouseClick(m->RadioGroup1->findChildren<QRadioButton*>().at(1),
                              Qt::LeftButton);
            QTest::mouseClick(m->Button1, Qt::LeftButton); // OK
        });
        EXPECT_EQ(d->Orientation, 1);
        EXPECT_EQ(d->Panel1->geometry(), QRect(12, 30, 81, 57));
        EXPECT_EQ(d->Shape1->geometry(), QRect(8, 36, 65, 16));
        QTest::mouseClick(d->Button3, Qt::LeftButton);
    });
    // The orientation goes to the printer whatever the answer, and so to the settings.
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Landscape);
    form->close();
    const ProfileStore stored = readSettingsFile(iniPath().toStdString());
    EXPECT_EQ(stored.readString("Page setup", "Orientation", ""), "1");
    EXPECT_EQ(stored.readString("Page setup", "Left", ""), "0");
}

TEST_F(PrintTest, AMeasurementPrintsToAPdfFileWithTheProgressBox) {
    openWindow();
    control<QPlainTextEdit>("Memo2")->setPlainText("V1=5,2");
    control<QCheckBox>("ShowValves")->setChecked(true);
    startRun();
    ticks(60);
    click("BitBtn3");
    const int count = form->store().Count;
    ASSERT_GT(count, 20);

    TPrintBox1* box = windows->printBox;
    const QString path = tempPath("report.pdf");
    print([&](TPrintRep* d) { printToPdf(d, path); });
    EXPECT_EQ(pdfPages(path), 1);
    EXPECT_FALSE(box->isVisible()) << "hidden when done";
    EXPECT_EQ(box->windowTitle(), "Printing");
    EXPECT_EQ(box->Label1->text(), "Printing: ");
    EXPECT_EQ(box->Status->text(), "ready");
    EXPECT_EQ(box->ProgressBar1->value(), static_cast<int>(rnd((count - 1) * 100.0 / count)));

    // Cancelling the file dialog prints nothing.
    QFile::remove(path);
    print([&](TPrintRep* d) {
        d->ComboBox1->setCurrentIndex(d->ComboBox1->findText(TPrintRep::PdfFile));
        cancelFileDialog();
        QTest::mouseClick(d->Button2, Qt::LeftButton);
    });
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PrintTest, ACancelledDialogPrintsNothing) {
    openWindow();
    const QString path = tempPath("never.pdf");
    form->printer().setOutputFileName(path);
    print([&](TPrintRep* d) { QTest::mouseClick(d->Button3, Qt::LeftButton); });
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PrintTest, PrinterSetupShowsThePlatformsPrinterDialog) {
    openWindow();
    bool shown = false;
    whenModal<QPrintDialog>(modalGuard.get(), [&](QPrintDialog* d) {
        shown = true;
        EXPECT_EQ(d->windowTitle(), "Printer setup");
        EXPECT_EQ(d->objectName(), "PrinterSetupDialog1");
        d->reject();
    });
    action("Printersetup1")->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(PrintTest, AReportDuringARunPrintsWhileTheRunGoesOn) {
    openWindow(Acquisition::Mode::Thread);
    click("BitBtn1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->store().Count >= 5; }, 20000));
    const QString first = tempPath("during.pdf");
    EXPECT_EQ(form->printReportToPdf(first), "");
    EXPECT_EQ(pdfPages(first), 1);
    const int after = form->store().Count;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->store().Count > after + 2; }, 20000))
        << "the run goes on measuring";
    click("BitBtn3");
    EXPECT_EQ(form->store().Count, form->acquisition().run().Sizing.Count)
        << "no point lost while the report was drawn";
}

TEST_F(PrintTest, APdfThatCannotBeWrittenIsReported) {
    openWindow();
    const QString error = form->printReportToPdf(tempPath("missing/folder/report.pdf"));
    EXPECT_TRUE(error.startsWith("Cannot print to")) << error.toStdString();
}

} // namespace
