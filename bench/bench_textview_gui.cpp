// The "View text" window on a run of a million points: how long Edit > View data text takes
// until the window is painted (target: 1 s), how long each scroll step takes to repaint
// (target: 16 ms, one frame at 60 Hz), and the copy to the clipboard. For comparison in the
// same run, a plain text document of a widget text field is filled with part of the same text
// and its time scaled up to the million lines (it grows faster than that).
#include "documents/DataText.h"
#include "documents/viewdta.h"
#include "widgets/TextMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace varentis;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPoints = 1'000'000;
constexpr double kOpenTargetMs = 1000.0;
constexpr double kScrollTargetMs = 16.0;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

PointStore makeRun(int n) {
    std::mt19937 gen(42);
    std::normal_distribution<double> noise(0.0, 5e-9);
    PointStore store;
    store.startRun(n, false);
    for (int i = 0; i < n; ++i)
        store.append(0.1 * i, 50e-9 + 30e-9 * std::sin(i / 500.0) + noise(gen));
    return store;
}

// Runs `work` once the dialog's memo has painted for the first time.
class FirstPaint : public QObject {
  public:
    FirstPaint(QWidget* viewport, std::function<void()> work) : work_(std::move(work)) {
        viewport->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && work_) {
            // After this paint has finished.
            QTimer::singleShot(0, this, [w = std::move(work_)] { w(); });
            work_ = nullptr;
        }
        return false;
    }

  private:
    std::function<void()> work_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const PointStore run = makeRun(kPoints);
    DataTextColumns columns; // s and nA
    columns.timeDecimals = 2;
    columns.signalDecimals = 2;

    TViewdata view;
    double textMs = 0, openMs = 0, copyMs = 0;
    std::vector<double> steps;
    std::size_t textBytes = 0;
    const auto t0 = Clock::now();
    FirstPaint painted(view.Memo1->viewport(), [&] {
        openMs = msSince(t0);
        // Scrolling: line by line, a page at a time, and jumps as a dragged scroll bar gives.
        QScrollBar* bar = view.Memo1->verticalScrollBar();
        std::mt19937 gen(3);
        for (int k = 0; k < 300; ++k) {
            const int value = k < 100 ? bar->value() + 3
                              : k < 200
                                  ? bar->value() + bar->pageStep()
                                  : std::uniform_int_distribution<int>(0, bar->maximum())(gen);
            const auto s0 = Clock::now();
            bar->setValue(value);
            view.Memo1->viewport()->repaint();
            steps.push_back(msSince(s0));
        }
        const auto c0 = Clock::now();
        view.BitBtn1Click();
        copyMs = msSince(c0);
        view.Button1->click();
    });
    {
        const auto b0 = Clock::now();
        std::string text = dataText(run, columns);
        textMs = msSince(b0);
        textBytes = text.size();
        view.Viewdatatext1Click(std::move(text));
    }
    const qsizetype copied = QGuiApplication::clipboard()->text().size();

    std::sort(steps.begin(), steps.end());
    const double median = steps[steps.size() / 2];
    const double worst = steps.back();
    std::printf("View text of %d points (%.1f MB of text)\n", kPoints, textBytes / 1e6);
    std::printf("  data text built          %8.1f ms\n", textMs);
    std::printf("  open until painted       %8.1f ms   target %.0f ms: %s\n", openMs, kOpenTargetMs,
                openMs <= kOpenTargetMs ? "met" : "MISSED");
    std::printf(
        "  scroll step repaint      %8.2f ms median, %.2f ms worst of %zu   target %.0f ms: %s\n",
        median, worst, steps.size(), kScrollTargetMs, worst <= kScrollTargetMs ? "met" : "MISSED");
    std::printf("  copy to clipboard        %8.1f ms (%lld characters)\n", copyMs,
                static_cast<long long>(copied));

    // The same text in a widget text field's document, for a part of the lines.
    constexpr int kSample = 20'000;
    const std::string sample = dataText(makeRun(kSample), columns);
    QPlainTextEdit plain;
    plain.resize(233, 300);
    plain.show();
    const auto p0 = Clock::now();
    plain.setPlainText(QString::fromStdString(sample));
    plain.viewport()->repaint();
    const double plainMs = msSince(p0);
    std::printf(
        "  for comparison: a text document takes %.1f ms for %d lines, at least %.1f s for %d\n",
        plainMs, kSample, plainMs * kPoints / kSample / 1000.0, kPoints);
    return openMs <= kOpenTargetMs && worst <= kScrollTargetMs ? 0 : 1;
}
