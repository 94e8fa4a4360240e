// Saving and opening a run of one million points, against a naive strtod/iostream
// reader and an ostream writer in the same run.
#include "documents/DataFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <map>
#include <random>
#include <sstream>

using namespace varentis;

namespace {

class Controls : public ControlAccess {
public:
    std::string text(std::string_view) const override { return "100"; }
    void setText(std::string_view, const std::string&) override {}
    int itemIndex(std::string_view) const override { return 0; }
    void setItemIndex(std::string_view, int) override {}
    std::vector<std::string> items(std::string_view) const override { return {"s"}; }
    bool checked(std::string_view) const override { return false; }
    void setChecked(std::string_view, bool) override {}
    std::vector<std::string> lines(std::string_view) const override { return {"line"}; }
    void setLines(std::string_view, const std::vector<std::string>&) override {}
};

struct Hooks : DataFileReadHooks {
    void applyPeriod() override {}
    ColumnFactors recomputeScaling() override { return {1.0, 1e-9, 1e-12}; }
};

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t)
        .count();
}

template <class F> double bestOf(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto t = std::chrono::steady_clock::now();
        f();
        best = std::min(best, msSince(t));
    }
    return best;
}

// The obvious reader: one getline and two strtod per line.
std::size_t naiveRead(const std::string& file, std::vector<double>& times,
                      std::vector<double>& signals) {
    std::istringstream in(file);
    std::string line;
    while (std::getline(in, line) && line != "[Data]\r") {
    }
    while (std::getline(in, line)) {
        char* end = nullptr;
        times.push_back(std::strtod(line.c_str(), &end));
        signals.push_back(std::strtod(end, nullptr) * 1e-9);
    }
    return times.size();
}

std::string naiveWrite(const PointStore& p) {
    std::ostringstream out;
    out << std::fixed;
    for (int i = 0; i < p.Count; ++i) {
        auto k = static_cast<std::size_t>(i);
        out << std::setprecision(2) << p.Times[k] << '\t' << p.Signals[k] / 1e-9 << "\r\n";
    }
    return out.str();
}

} // namespace

int main() {
    constexpr int kPoints = 1'000'000;
    PointStore points;
    points.startRun(kPoints, false);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(50e-9, 10e-9);
    for (int i = 0; i < kPoints; ++i) points.append(i * 0.1, noise(rng));

    Controls controls;
    DataColumns columns;
    std::string file;
    const double write = bestOf(5, [&] { file = writeDataFile(controls, points, columns); });
    std::string naiveFile;
    const double writeNaive = bestOf(3, [&] { naiveFile = naiveWrite(points); });

    PointStore back;
    Hooks hooks;
    const double read = bestOf(5, [&] { readDataFile(file, controls, back, hooks); });
    std::size_t naiveCount = 0;
    const double readNaive = bestOf(3, [&] {
        std::vector<double> t, s;
        naiveCount = naiveRead(file, t, s);
    });

    std::printf("data file of %d points, %.1f MB\n", kPoints, file.size() / 1e6);
    std::printf("save: %7.1f ms   (ostream writer %7.1f ms)   limit 150 ms\n", write, writeNaive);
    std::printf("open: %7.1f ms   (strtod reader  %7.1f ms)   limit 150 ms\n", read, readNaive);
    std::printf("points read: %d (naive %zu)\n", back.Count, naiveCount);
    return back.Count == kPoints && write <= 150 && read <= 150 ? 0 : 1;
}
