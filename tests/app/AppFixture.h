#pragma once

#include "app/AppWindows.h"
#include "app/Application.h"
#include "app/Sdimain.h"
#include "hardware/PortBackend.h"
#include "hardware/SimulatedInstrument.h"
#include "hardware/devices.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace varentis::test {

inline SimOptions appSimOptions() {
    SimOptions o;
    o.clock = SimClockMode::Virtual;
    o.seed = 11;
    o.recordLimit = 1'000'000;
    return o;
}

// Hands the next modal window of type T to `act` as soon as it shows. The check runs from
// the event loop of the modal window itself, so the test can answer a question that a
// command asks in the middle of its work. Pending checks end with `context`.
template <class T>
void whenModal(QObject* context, std::function<void(T*)> act, int tries = 500) {
    QTimer::singleShot(10, context, [context, act, tries] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(w);
            return;
        }
        if (tries > 0) whenModal<T>(context, act, tries - 1);
    });
}

// Names `path` in a file dialog and closes it with OK (`done`, which asks nothing more, or
// `accept`, which asks before replacing a file), as an operator typing the name would. The
// name goes into the dialog's name field: selecting the file in the list does not hold for a
// read-only file in a save dialog, which the list shows disabled once it has read the folder.
inline void chooseFile(QFileDialog* dialog, const QString& path, bool asAccept = false) {
    const QFileInfo file(path);
    dialog->setDirectory(file.absolutePath());
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(file.fileName());
    else dialog->selectFile(path);
    if (asAccept) static_cast<QDialog*>(dialog)->accept();
    else static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
}

// The program's windows on a simulated instrument with a virtual clock; the settings
// file lives in a temporary folder. The run is driven tick by tick on the test's thread,
// so every tick is deterministic.
class AppTest : public ::testing::Test {
protected:
    explicit AppTest(const SimOptions& options = appSimOptions()) : sim(options) {}
    ~AppTest() override {
        modalGuard.reset();
        app.reset();
    }

    QString iniPath() const { return dir.filePath("varnts.ini"); }
    QString tempPath(const QString& name) const { return dir.filePath(name); }

    // Creates the windows in the order of the program's start and shows the main window
    // (its first activation reads the rest of the settings).
    // On `bus` instead of the virtual-clock simulator when given.
    TSDIAppForm& openWindow(Acquisition::Mode mode = Acquisition::Mode::Inline,
                            PortBackend* bus = nullptr) {
        app.reset();
        app = std::make_unique<Application>(iniPath(), bus ? *bus : sim, mode);
        form = &app->form();
        windows = &app->windows();
        if (mode == Acquisition::Mode::Inline && !bus)
            form->acquisition().run().WallClock = [this] { return sim.modelSeconds(); };
        form->show();
        return *form;
    }

    template <class T = QWidget>
    T* control(const char* name) const {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QAction* action(const char* name) const { return control<QAction>(name); }
    QLineEdit* edit(const char* name) const { return control<QLineEdit>(name); }
    QString panel(const char* name) const { return control<QLabel>(name)->text(); }

    void click(const char* buttonName) {
        QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
    }

    // Run, then the 110 ms until the first acquisition tick.
    void startRun() {
        click("BitBtn1");
        sim.advanceSeconds(0.110);
    }
    // Acquisition ticks as the timer gives them, 5 ms apart after each 105 ms tick.
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            form->Timer1Timer();
            sim.advanceSeconds(0.005);
        }
    }

    // Presses `button` in the next message box; its text goes to `*text` when given.
    void answerQuestion(QMessageBox::StandardButton button, QString* text = nullptr) {
        whenModal<QMessageBox>(modalGuard.get(), [button, text](QMessageBox* box) {
            if (text) *text = box->text();
            box->button(button)->click();
        });
    }
    // Cancels the next file dialog.
    void cancelFileDialog(bool* shown = nullptr) {
        whenModal<QFileDialog>(modalGuard.get(), [shown](QFileDialog* dialog) {
            if (shown) *shown = true;
            dialog->reject();
        });
    }
    // Clicks `target` (at `at`, its centre when null) and answers the colour dialog it opens
    // with `color`, or cancels it after changing its colour when there is none.
    void pickColor(QWidget* target, std::optional<QColor> color, QPoint at = {}) {
        whenModal<QColorDialog>(modalGuard.get(), [color](QColorDialog* dialog) {
            if (color) {
                dialog->setCurrentColor(*color);
                dialog->accept();
            } else {
                dialog->setCurrentColor(QColor(1, 2, 3));
                dialog->reject();
            }
        });
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }
    // Notes a message box that shows within `ms` and cancels it.
    void watchForQuestion(bool* asked, int ms = 200) {
        whenModal<QMessageBox>(modalGuard.get(), [asked](QMessageBox* box) {
            *asked = true;
            box->button(QMessageBox::Cancel)->click();
        }, ms / 10);
    }

    // Answers that a test leaves pending must not reach the next test.
    std::unique_ptr<QObject> modalGuard = std::make_unique<QObject>();
    QTemporaryDir dir;
    SimulatedInstrument sim;
    std::unique_ptr<Application> app;
    TSDIAppForm* form = nullptr;
    AppWindows* windows = nullptr;
};

} // namespace varentis::test
