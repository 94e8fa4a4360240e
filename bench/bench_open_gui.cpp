// Opening a data file of one million points in the program's window, from a cold page
// cache: reading, decoding the text sections, parsing the data into the store, restoring
// the settings and the full redraw of the graph, as the Open command does. The file is the
// program's own save of a run with the default settings (three columns) and a description
// beyond ASCII. bench_datafile measures the file reading alone; this adds the window's part.
#include "app/Application.h"
#include "app/Sdimain.h"
#include "hardware/BusFactory.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace varentis;

namespace {

bool dropFromCache(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::fdatasync(fd);
    const bool done = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return done;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    SimOptions options;
    std::unique_ptr<PortBackend> bus = makePortBackend("sim", options, nullptr);
    Application app(dir.filePath("varnts.ini"), *bus, Acquisition::Mode::Inline);
    TSDIAppForm& form = app.form();
    form.show();
    QTest::qWait(100);

    constexpr int kPoints = 1'000'000;
    PointStore& store = form.store();
    store.startRun(PointSizing::forRun(kPoints, true));
    std::mt19937 rng(1);
    std::normal_distribution<double> signal(50e-9, 10e-9), current(-150e-12, 40e-12);
    double time = 0;
    for (int i = 0; i < kPoints; ++i, time += 0.1) store.append(time, signal(rng), current(rng));
    form.Edit5->setText("100000");
    form.Memo1->setPlainText(QString::fromUtf8("Lösung Nr. 3 – Luminol 0,1 mM\nTemperatur 25 °C"));
    const QString path = dir.filePath("run.vrd");
    if (const QString error = form.saveToFile(path); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    store.clear();

    std::vector<double> ms;
    bool cold = true;
    for (int i = 0; i < 5; ++i) {
        cold = dropFromCache(path) && cold;
        const auto t = std::chrono::steady_clock::now();
        form.openFile(path);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t)
                         .count());
        QTest::qWait(150); // the redraw the changed settings ask for, outside the figure
    }
    std::sort(ms.begin(), ms.end());
    std::printf("Open of %d points in the window%s: median %6.1f ms, best %6.1f ms, worst %6.1f ms "
                "(%d points read)\n",
                kPoints, cold ? ", dropped from the page cache" : "", ms[ms.size() / 2],
                ms.front(), ms.back(), form.store().Count);
    form.askOnClose = false;
    form.close();
    return 0;
}
