// Saving a run of one million points and opening it again from disk, the way the program
// does. The file is realistic: the default settings with the potentiostat in use (three
// columns), a valve program, and a description with characters beyond ASCII, so that it is
// written in Windows-1252 and is not UTF-8. It is written through the atomic writer and
// dropped from the page cache before every open, so each open reads it from the disk as a
// freshly started program would (as far as a process without special rights can make the
// system forget a file).
//
// Each figure is compared with a plain version in the same run: the writer with a bare
// to_chars per number (no rounding of ties), and the reader that decodes the whole file
// and then reads it line by line with readNumber.
#include "core/NumberText.h"
#include "documents/AtomicFile.h"
#include "documents/DataFile.h"
#include "documents/SettingsFile.h"
#include "documents/TextEncoding.h"
#include "documents/TextLines.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <vector>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

using namespace varentis;

namespace {

constexpr int kPoints = 1'000'000;
constexpr double kOpenTargetMs = 150;
constexpr double kSaveLimitMs = 150;

// The controls of the windows, as maps, with the entries the forms give the lists.
class MapControls : public ControlAccess {
public:
    MapControls() {
        const std::vector<std::string> currents{"pA", "nA", "uA", "mA", "A"};
        lists_["ComboBox3"] = {"ms", "s"};
        lists_["ComboBox4"] = {"%", "ms", "s"};
        lists_["ComboBox1"] = currents;
        lists_["ComboBox2"] = {"s", "min", "h"};
        lists_["TPotential.CUnits"] = currents;
        lists_["TPotential.Electrodes"] = {"2 electrodes", "3 electrodes"};
    }
    std::string text(std::string_view c) const override { return get(texts_, c, {}); }
    void setText(std::string_view c, const std::string& v) override { texts_[std::string(c)] = v; }
    int itemIndex(std::string_view c) const override { return get(indexes_, c, -1); }
    void setItemIndex(std::string_view c, int i) override { indexes_[std::string(c)] = i; }
    std::vector<std::string> items(std::string_view c) const override {
        return get(lists_, c, {});
    }
    bool checked(std::string_view c) const override { return get(checks_, c, false); }
    void setChecked(std::string_view c, bool on) override { checks_[std::string(c)] = on; }
    std::vector<std::string> lines(std::string_view c) const override { return get(memos_, c, {}); }
    void setLines(std::string_view c, const std::vector<std::string>& l) override {
        memos_[std::string(c)] = l;
    }

private:
    template <class M, class V = typename M::mapped_type>
    static V get(const M& m, std::string_view c, V fallback) {
        auto it = m.find(c);
        return it == m.end() ? fallback : it->second;
    }
    std::map<std::string, std::string, std::less<>> texts_;
    std::map<std::string, int, std::less<>> indexes_;
    std::map<std::string, std::vector<std::string>, std::less<>> lists_;
    std::map<std::string, bool, std::less<>> checks_;
    std::map<std::string, std::vector<std::string>, std::less<>> memos_;
};

struct Hooks : DataFileReadHooks {
    void applyPeriod() override {}
    ColumnFactors recomputeScaling() override { return {1.0, 1e-9, 1e-12}; }
};

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t)
        .count();
}

template <class F> std::vector<double> timings(int runs, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        auto t = std::chrono::steady_clock::now();
        f();
        ms.push_back(msSince(t));
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}
double median(const std::vector<double>& sorted) { return sorted[sorted.size() / 2]; }

// Processor time of this process, ms: on a machine shared with other work the wall time
// also counts the time the process waited for a processor.
double cpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double loadAverage() {
    double load[1] = {0};
    return ::getloadavg(load, 1) == 1 ? load[0] : 0.0;
}

// Asks the system to forget the file's pages, so the next read comes from the disk.
bool dropFromCache(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::fdatasync(fd);
    const bool done = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return done;
}

// A bare to_chars per number: what the writer cost before ties were rounded.
std::string plainWrite(const std::string& head, const PointStore& p) {
    std::string out = head;
    out.reserve(out.size() + static_cast<std::size_t>(p.Count) * 40);
    char buf[64];
    auto put = [&](double v, int decimals) {
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        out.append(buf, r.ptr);
    };
    for (std::size_t i = 0; i < static_cast<std::size_t>(p.Count); ++i) {
        put(p.Times[i], 2);
        out += '\t';
        put(p.Signals[i] / 1e-9, 2);
        out += '\t';
        put(p.Currents[i] / 1e-12, 3);
        out += "\r\n";
    }
    return out;
}

// The whole file decoded, then read line by line with readNumber.
std::size_t plainRead(const std::string& bytes, std::vector<double>& t, std::vector<double>& s,
                      std::vector<double>& c) {
    const std::string text = decodeFileText(bytes);
    bool inData = false;
    forEachLine(text, [&](std::string_view line) {
        if (!inData) {
            inData = line == "[Data]";
            return;
        }
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = line.find('\t', tab1 + 1);
        t.push_back(readNumber(line.substr(0, tab1)));
        s.push_back(readNumber(line.substr(tab1 + 1, tab2 - tab1 - 1)) * 1e-9);
        c.push_back(readNumber(line.substr(tab2 + 1)) * 1e-12);
    });
    return t.size();
}

} // namespace

int main() {
    // A run as the program stores it: 0.1 s apart, a signal near 50 nA, a cell current
    // near -150 pA, both with noise.
    PointStore points;
    points.startRun(PointSizing::forRun(kPoints, true));
    std::mt19937 rng(1);
    std::normal_distribution<double> signal(50e-9, 10e-9), current(-150e-12, 40e-12);
    double time = 0;
    for (int i = 0; i < kPoints; ++i, time += 0.1) points.append(time, signal(rng), current(rng));

    MapControls controls;
    std::array<std::string, 6> zero, factor;
    GraphColors colors;
    PageSetupValues page;
    SettingsTargets targets{controls, zero, factor, colors, page};
    loadCreationSettings(ProfileStore{}, controls);
    loadActivationSettings(ProfileStore{}, targets);
    controls.setText("Edit5", "100000");
    controls.setLines("Memo1", {"Lösung Nr. 3 – Luminol 0,1 mM, pH 9,5", "Temperatur 25 °C",
                                "Zelle: Glaskohlenstoff Ø 3 mm, Strom in µA", ""});
    controls.setLines("Memo2", {"10 V1 V3", "20 V2", "5 P1", "30 V1 V2 V12"});
    DataColumns columns;
    columns.factors.current = 1e-12;

    std::string file;
    const double saveCpuStart = cpuMs();
    const auto save = timings(5, [&] { file = writeDataFile(controls, points, columns); });
    const double saveCpuMs = (cpuMs() - saveCpuStart) / 5;
    const std::string head = file.substr(0, file.find("[Data]\r\n") + 8);
    std::string plainFile;
    const auto savePlain = timings(5, [&] { plainFile = plainWrite(head, points); });

    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("bench_datafile_" + std::to_string(::getpid()) + ".vrd");
    if (auto error = writeFileAtomically(path, file)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error->c_str());
        return 2;
    }
    const bool notUtf8 = !isValidUtf8(file);

    Hooks hooks;
    MapControls opened;
    PointStore back;
    bool cold = true;
    auto openFromDisk = [&] {
        std::string bytes;
        if (readWholeFile(path, bytes)) std::abort();
        readDataFile(bytes, opened, back, hooks);
    };
    std::vector<double> coldMs, coldCpuMs;
    for (int i = 0; i < 7; ++i) {
        cold = dropFromCache(path) && cold;
        const double cpu = cpuMs();
        coldMs.push_back(timings(1, openFromDisk)[0]);
        coldCpuMs.push_back(cpuMs() - cpu);
    }
    std::sort(coldMs.begin(), coldMs.end());
    std::sort(coldCpuMs.begin(), coldCpuMs.end());
    const auto warmMs = timings(5, openFromDisk);
    // The two parts of a cold open: reading the bytes, and making points and settings of them.
    std::vector<double> readMs, parseMs;
    for (int i = 0; i < 5; ++i) {
        dropFromCache(path);
        std::string bytes;
        readMs.push_back(timings(1, [&] {
            if (readWholeFile(path, bytes)) std::abort();
        })[0]);
        parseMs.push_back(timings(1, [&] { readDataFile(bytes, opened, back, hooks); })[0]);
    }
    std::sort(readMs.begin(), readMs.end());
    std::sort(parseMs.begin(), parseMs.end());

    std::size_t plainCount = 0;
    std::vector<double> plainColdMs;
    for (int i = 0; i < 3; ++i) {
        dropFromCache(path);
        plainColdMs.push_back(timings(1, [&] {
            std::string bytes;
            if (readWholeFile(path, bytes)) std::abort();
            std::vector<double> t, s, c;
            plainCount = plainRead(bytes, t, s, c);
        })[0]);
    }
    std::sort(plainColdMs.begin(), plainColdMs.end());
    std::filesystem::remove(path);

    // What came back is what was saved.
    bool same = back.Count == kPoints && back.hasCurrents() &&
                opened.lines("Memo1") == controls.lines("Memo1");
    for (int i = 0; same && i < kPoints; i += 997) {
        const auto k = static_cast<std::size_t>(i);
        same = text(back.Times[k], 2) == text(points.Times[k], 2) &&
               text(back.Signals[k] / 1e-9, 2) == text(points.Signals[k] / 1e-9, 2) &&
               text(back.Currents[k] / 1e-12, 3) == text(points.Currents[k] / 1e-12, 3);
    }

    const double openMs = median(coldMs);
    const bool saveOk = save.front() <= kSaveLimitMs;
    const bool openOk = openMs <= kOpenTargetMs;
    std::printf("data file of %d points, three columns, %.1f MB, description beyond ASCII (%s)\n",
                kPoints, static_cast<double>(file.size()) / 1e6,
                notUtf8 ? "Windows-1252" : "UTF-8");
    std::printf("save (text in memory): best %6.1f ms, median %6.1f ms   "
                "(bare to_chars writer %6.1f ms)   limit %.0f ms\n",
                save.front(), median(save), savePlain.front(), kSaveLimitMs);
    std::printf("  processor time of a save: mean %6.1f ms\n", saveCpuMs);
    std::printf("open from disk%s: median %6.1f ms, best %6.1f ms, worst %6.1f ms   "
                "(decode-all reader %6.1f ms)\n",
                cold ? " (dropped from the page cache)" : " (page cache could not be dropped)",
                openMs, coldMs.front(), coldMs.back(), median(plainColdMs));
    std::printf("  processor time of the open: median %6.1f ms (load average now %.1f)\n",
                median(coldCpuMs), loadAverage());
    std::printf("  of which reading the bytes %6.1f ms, the reader %6.1f ms (medians)\n",
                median(readMs), median(parseMs));
    std::printf("open from the page cache: best %6.1f ms\n", warmMs.front());
    std::printf("points read back: %d (plain reader %zu), values %s\n", back.Count, plainCount,
                same ? "as saved" : "DIFFERENT FROM WHAT WAS SAVED");
    std::printf("target: open <= %.0f ms from disk: %s; save <= %.0f ms: %s\n", kOpenTargetMs,
                openOk ? "met" : "MISSED", kSaveLimitMs, saveOk ? "met" : "MISSED");
    return same && saveOk && openOk ? 0 : 1;
}
