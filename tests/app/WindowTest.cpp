#include "AppFixture.h"

#include "app/About.h"
#include "app/ScreenPlacement.h"

#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

using namespace varentis;
using namespace varentis::test;

namespace {

// ---- The command table ------------------------------------------------------------------

struct Command {
    const char* name;
    const char* caption;
    const char* shortcut;
    const char* hint;      // long part: the status bar
    const char* shortHint; // the tooltip, where the command has a hint
};

const Command kCommands[] = {
    {"FileNew1", "&New", "Ctrl+N", "Create a new file", "New"},
    {"FileOpen1", "&Open", "Ctrl+O", "Open a file", "Open"},
    {"FileSave1", "&Save", "Ctrl+S", "Save current file", "Save"},
    {"FileSaveAs1", "Save &As...", "", "Save current file with different name", "Save As"},
    {"Printersetup1", "Pri&nter setup", "", "", ""},
    {"Print1", "&Print", "", "", ""},
    {"FileExit1", "E&xit", "", "Exit application", "Exit"},
    {"EditCut1", "Cu&t", "Ctrl+X", "Cuts the selection and puts it on the Clipboard", "Cut"},
    {"EditCopy1", "&Copy", "Ctrl+C", "Copies the selection and puts it on the Clipboard", "Copy"},
    {"EditPaste1", "&Paste", "Ctrl+V", "Inserts Clipboard contents", "Paste"},
    {"Viewdatatext1", "&View data text", "", "", ""},
    {"Run1", "&Run", "", "", ""},
    {"Pause1", "&Pause", "", "", ""},
    {"Stop1", "&Stop", "Esc", "", ""},
    {"Setzeroline1", "Set &zero line", "F12", "", ""},
    {"Stopifmaxtime1", "&Stop if max time", "", "", ""},
    {"Changerange1", "&Change range during working", "", "", ""},
    {"Detectoroff", "&Detector off during Pause", "", "", ""},
    {"Graphsetup1", "&Graph setup", "", "", ""},
    {"PMTdetectorsetup1", "&PMT detector setup", "", "", ""},
    {"Potentiostatsetup1", "Po&tentiostat setup", "", "", ""},
    {"Devicetest1", "&Device test", "", "", ""},
    {"Helpindex1", "&Help index", "F1", "", ""},
    {"HelpAbout1", "&About...", "", "Shows program information, version number and copyright",
     "About"},
};

// Each menu's items in order, "|" for a separator, and the menu's own hint.
struct Menu {
    const char* title;
    const char* hint;
    QStringList items;
};

const Menu kMenus[] = {
    {"&File", "File related commands",
     {"FileNew1", "FileOpen1", "FileSave1", "FileSaveAs1", "|", "Printersetup1",
      "Print1", "|", "FileExit1"}},
    {"&Edit", "Edit commands", {"EditCut1", "EditCopy1", "EditPaste1", "|", "Viewdatatext1"}},
    {"&Work", "", {"Run1", "Pause1", "Stop1", "|", "Setzeroline1"}},
    {"&Options", "", {"Stopifmaxtime1", "Changerange1", "Detectoroff"}},
    {"&Setup", "",
     {"Graphsetup1", "|", "PMTdetectorsetup1", "Potentiostatsetup1", "|", "Devicetest1"}},
    {"&Help", "Help topics", {"Helpindex1", "HelpAbout1"}},
};

QStringList itemsOf(const QList<QAction*>& actions, const QToolBar* bar = nullptr) {
    QStringList items;
    for (QAction* a : actions) {
        // A widget put on the toolbar goes by its own name, a command by its action's.
        QWidget* w = bar ? bar->widgetForAction(a) : nullptr;
        if (a->isSeparator()) items << "|";
        else if (w && !w->objectName().isEmpty()) items << w->objectName();
        else items << a->objectName();
    }
    return items;
}

class CommandTableTest : public AppTest {};

TEST_F(CommandTableTest, CaptionsShortcutsAndHints) {
    openWindow();
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.name);
        QAction* a = action(c.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), c.caption);
        EXPECT_EQ(a->shortcut(), QKeySequence(c.shortcut));
        EXPECT_EQ(a->statusTip(), c.hint);
        if (*c.shortHint) {
            EXPECT_EQ(a->toolTip(), c.shortHint);
        }
    }
}

TEST_F(CommandTableTest, MenusHoldTheirItemsAndSeparatorsInOrder) {
    openWindow();
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(std::size(kMenus)));
    for (std::size_t i = 0; i < std::size(kMenus); ++i) {
        const Menu& m = kMenus[i];
        SCOPED_TRACE(m.title);
        QAction* menuAction = menus[static_cast<qsizetype>(i)];
        EXPECT_EQ(menuAction->text(), m.title);
        EXPECT_EQ(menuAction->statusTip(), m.hint);
        ASSERT_NE(menuAction->menu(), nullptr);
        EXPECT_EQ(itemsOf(menuAction->menu()->actions()), m.items);
    }
}

TEST_F(CommandTableTest, TheToolbarAndWhatIsEnabledAtStart) {
    openWindow();
    auto* bar = form->findChild<QToolBar*>("ToolBar1");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(itemsOf(bar->actions(), bar),
              QStringList({"FileNew1", "FileOpen1", "FileSave1", "|", "EditCut1", "EditCopy1",
                           "EditPaste1", "|", "ToolButton8", "|", "BitBtn1", "BitBtn2",
                           "BitBtn3"}));
    const std::pair<const char*, const char*> buttons[] = {
        {"ToolButton8", "Printing of report from measurements"},
        {"BitBtn1", "Start of measurement"},
        {"BitBtn2", "Pause of measurement"},
        {"BitBtn3", "Stop of measurement"}};
    for (auto [name, hint] : buttons) {
        QWidget* w = control(name);
        EXPECT_EQ(w->toolTip(), hint) << name;
        EXPECT_EQ(w->statusTip(), hint) << name;
    }
    EXPECT_EQ(control<QPushButton>("BitBtn1")->text(), "&Run");
    EXPECT_EQ(control<QPushButton>("BitBtn2")->text(), "&Pause");
    EXPECT_EQ(control<QPushButton>("BitBtn3")->text(), "&Stop");

    const QStringList disabled{"Pause1", "Stop1"};
    for (const Command& c : kCommands)
        EXPECT_EQ(action(c.name)->isEnabled(), !disabled.contains(c.name)) << c.name;
    EXPECT_TRUE(control("BitBtn1")->isEnabled());
    EXPECT_FALSE(control("BitBtn2")->isEnabled());
    EXPECT_FALSE(control("BitBtn3")->isEnabled());
    for (const char* option : {"Stopifmaxtime1", "Changerange1", "Detectoroff"})
        EXPECT_TRUE(action(option)->isCheckable()) << option;
}

// The toolbar shows the desktop's standard icons and, where its theme has none, the
// program's own drawings of the same commands, never some other picture.
TEST_F(CommandTableTest, ToolbarIconsAreTheStandardOnesWithTheProgramsOwnAsFallback) {
    openWindow();
    const std::pair<const char*, const char*> icons[] = {
        {"FileNew1", "document-new"},    {"FileOpen1", "document-open"},
        {"FileSave1", "document-save"},  {"EditCut1", "edit-cut"},
        {"EditCopy1", "edit-copy"},      {"EditPaste1", "edit-paste"},
        {"ToolButton8", "document-print"}, {"BitBtn1", "media-playback-start"},
        {"BitBtn2", "media-playback-pause"}, {"BitBtn3", "media-playback-stop"}};
    QList<QImage> shown;
    for (auto [name, themeName] : icons) {
        SCOPED_TRACE(name);
        QIcon own(QString(":/icons/%1-16.png").arg(themeName));
        ASSERT_FALSE(own.pixmap(16, 16).isNull()) << "the program ships " << themeName;
        const QIcon expected = QIcon::fromTheme(themeName, own);
        QIcon icon;
        if (auto* b = form->findChild<QAbstractButton*>(name)) icon = b->icon();
        else icon = action(name)->icon();
        const QImage image = icon.pixmap(16, 16).toImage();
        EXPECT_EQ(image, expected.pixmap(16, 16).toImage());
        EXPECT_FALSE(shown.contains(image)) << "two commands with one picture";
        shown << image;
    }
}

// ---- Window sizes -----------------------------------------------------------------------

class WindowSizeTest : public AppTest {};

TEST_F(WindowSizeTest, AtItsSmallestTheWindowCutsOffNeitherPanelNorToolbar) {
    openWindow();
    form->resize(100, 100);
    QTest::qWait(50);
    EXPECT_EQ(form->size(), form->minimumSize());
    EXPECT_GE(form->minimumHeight(), 508);

    auto* panel1 = control("Panel1");
    for (QWidget* w : panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(panel1->rect().contains(w->geometry()))
            << w->objectName().toStdString() << " is cut off";
    EXPECT_GE(control("Memo2")->height(), 40) << "a few lines of the valve program show";
    auto* panel2 = control("Panel2");
    for (const char* name : {"Panel5", "Panel6", "Panel7", "Panel8", "Panel9"})
        EXPECT_TRUE(panel2->rect().contains(control(name)->geometry())) << name;

    auto* bar = form->findChild<QToolBar*>("ToolBar1");
    for (QAction* a : bar->actions()) {
        QWidget* w = bar->widgetForAction(a);
        if (!w) continue;
        EXPECT_TRUE(w->isVisible()) << a->objectName().toStdString() << " is hidden";
        EXPECT_LE(w->geometry().right(), bar->width()) << w->objectName().toStdString();
    }
    if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button")) {
        EXPECT_FALSE(more->isVisible()) << "no button waits behind the toolbar's extension";
    }
}

struct InsideCase {
    QRect frame, area, expected;
};

TEST(ScreenPlacement, AWindowIsMovedAndIfNeedBeShrunkOntoTheArea) {
    const QRect area(0, 0, 1280, 1000);
    const InsideCase cases[] = {
        {{100, 100, 640, 560}, area, {100, 100, 640, 560}},   // inside already
        {{100, 900, 640, 560}, area, {100, 440, 640, 560}},   // below the bottom
        {{1000, -50, 640, 560}, area, {640, 0, 640, 560}},    // off to the right and the top
        {{-300, 200, 640, 560}, area, {0, 200, 640, 560}},    // off to the left
        {{50, 50, 1400, 1200}, area, {0, 0, 1280, 1000}},     // larger than the area
        {{2000, 100, 300, 200}, {1280, 24, 1024, 744}, {2000, 100, 300, 200}}, // second screen
        {{2500, 900, 300, 200}, {1280, 24, 1024, 744}, {2004, 568, 300, 200}},
    };
    for (const InsideCase& c : cases) EXPECT_EQ(keepInside(c.frame, c.area), c.expected);
}

// ---- Where windows open -----------------------------------------------------------------

class PlacementTest : public AppTest {
protected:
    QRect screenArea() const { return form->screen()->availableGeometry(); }
};

// The help opens where the operator looks, over the main window, and wholly on the screen
// even when the main window is not.
TEST_F(PlacementTest, TheHelpWindowOpensOverTheMainWindowWhollyOnTheScreen) {
    openWindow();
    const QRect area = screenArea();
    // The operator moved the main window down, half off the screen.
    form->move(area.left() + 40, area.bottom() - form->height() / 2);
    QTest::qWait(20);
    action("Helpindex1")->trigger();
    auto* help = form->findChild<QTextBrowser*>("HelpBrowser");
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->isVisible());
    QTest::qWait(20);
    EXPECT_TRUE(area.contains(help->frameGeometry()))
        << "help at " << help->frameGeometry().top() << ".." << help->frameGeometry().bottom()
        << " on a screen of " << area.top() << ".." << area.bottom();
    EXPECT_TRUE(help->frameGeometry().intersects(form->frameGeometry()))
        << "help at " << help->frameGeometry().top() << ", main window at "
        << form->frameGeometry().top();
    help->close();
}

TEST_F(PlacementTest, TheMainWindowFitsTheScreen) {
    openWindow();
    QTest::qWait(20);
    const QRect area = screenArea();
    EXPECT_LE(form->frameGeometry().width(), std::max(area.width(), form->minimumWidth() + 8));
    EXPECT_LE(form->frameGeometry().height(), std::max(area.height(), form->minimumHeight() + 40));
}

TEST_F(PlacementTest, TheAboutBoxIsCentredOnTheScreen) {
    openWindow();
    const QRect area = screenArea();
    form->resize(form->minimumSize());
    form->move(area.topLeft()); // far from the screen's centre
    QTest::qWait(20);
    QRect about;
    whenModal<TAboutBox>(modalGuard.get(), [&about](TAboutBox* box) {
        about = box->frameGeometry();
        box->accept();
    });
    action("HelpAbout1")->trigger();
    ASSERT_TRUE(about.isValid()) << "the About box did not show";
    EXPECT_NEAR(about.center().x(), area.center().x(), 1);
    EXPECT_NEAR(about.center().y(), area.center().y(), 1);
}

} // namespace
