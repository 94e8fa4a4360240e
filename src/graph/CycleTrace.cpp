#include "graph/CycleTrace.h"

#include "core/Decimal.h"
#include "graph/SignalGraph.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace varentis {

static_assert(TimeAxis{}.PixelLimit == kPixelLimit, "the screen's axes keep the plot's limit");

namespace {

// More cycle lines, or trace corners, than this per column of the plot are drawn per column.
constexpr double kLiteralPerColumn = 4.0;
// Counts beyond 2^53 no longer step by one cycle in a double.
constexpr std::int64_t kMaxCycles = std::int64_t{1} << 53;

bool drawable(const TimeAxis& a, double cycle) {
    return cycle > 0 && std::isfinite(cycle) && std::isfinite(a.XScale) && a.XScale != 0.0 &&
           std::isfinite(a.XMin);
}

// n x cycle, as every cycle start is formed (one rounding, no drift along a long axis).
double startOf(std::int64_t n, double cycle) { return static_cast<double>(n) * cycle; }

// Whole multiples of the cycle up to and including the first at or past XMax, at least one.
std::int64_t cycleLines(double cycle, double xMax) {
    if (!(xMax > cycle)) return 1;
    double q = std::ceil(xMax / cycle);
    if (!(q < static_cast<double>(kMaxCycles))) return kMaxCycles;
    auto n = std::max<std::int64_t>(1, static_cast<std::int64_t>(q));
    // The first multiple at or past XMax, as decimals decide it.
    while (n > 1 && (startOf(n - 1, cycle) >= xMax || sameDecimal(startOf(n - 1, cycle), xMax)))
        --n;
    while (startOf(n, cycle) < xMax && !sameDecimal(startOf(n, cycle), xMax)) ++n;
    return n;
}

// Columns of the canvas as the dense drawing sees them: everything left of the plot falls
// into one column just outside it, everything right of it into one on the other side.
class Columns {
public:
    Columns(const TimeAxis& a, int margin)
        : a_(a), lo_(a.Left - margin), hi_(a.Left + std::max(a.Width, 0) + margin - 1) {}
    int at(double t) const {
        return std::clamp(pixelWithin((t - a_.XMin) * a_.XScale, a_.PixelLimit) + a_.Left, lo_,
                          hi_);
    }
    bool outside(int x) const { return x == lo_ || x == hi_; }
    int span() const { return hi_ - lo_ + 1; }

private:
    const TimeAxis& a_;
    int lo_, hi_;
};

// The largest m in [from, last] with same(m), given same(from) and that same holds on a
// prefix: galloping, so a short run costs a few tests and a long one its logarithm.
template <typename Pred>
std::int64_t lastOfRun(std::int64_t from, std::int64_t last, Pred&& same) {
    std::int64_t good = from, step = 1;
    while (good < last) {
        const std::int64_t probe = good + std::min(step, last - good);
        if (!same(probe)) {
            std::int64_t bad = probe;
            while (bad - good > 1) {
                const std::int64_t mid = good + (bad - good) / 2;
                (same(mid) ? good : bad) = mid;
            }
            return good;
        }
        good = probe;
        step *= 2;
    }
    return good;
}

// Collects a trace column by column: each run of consecutive vertices in one column, which
// its vertical lines join, becomes its first, lowest, highest and last row; straight runs
// of the result merge.
class ColumnPolyline {
public:
    void group(int x, int first, int lo, int hi, int last) {
        if (open_ && x == x_) {
            lo_ = std::min(lo_, lo);
            hi_ = std::max(hi_, hi);
            last_ = last;
            return;
        }
        flush();
        open_ = true;
        x_ = x;
        first_ = first;
        lo_ = lo;
        hi_ = hi;
        last_ = last;
    }
    void flush() {
        if (!open_) return;
        for (int y : {first_, lo_, hi_, last_}) push({x_, y});
        open_ = false;
    }
    const std::vector<Point>& points() const { return points_; }

private:
    static bool between(int a, int b, int c) { return (a <= b && b <= c) || (a >= b && b >= c); }
    void push(Point p) {
        const std::size_t n = points_.size();
        if (n > 0 && points_[n - 1] == p) return;
        if (n > 1) {
            const Point a = points_[n - 2], b = points_[n - 1];
            if ((a.x == b.x && b.x == p.x && between(a.y, b.y, p.y)) ||
                (a.y == b.y && b.y == p.y && between(a.x, b.x, p.x))) {
                points_[n - 1] = p;
                return;
            }
        }
        points_.push_back(p);
    }

    std::vector<Point> points_;
    bool open_ = false;
    int x_ = 0, first_ = 0, lo_ = 0, hi_ = 0, last_ = 0;
};

// Lowest and highest row over a run of vertices, in constant time: with two rows at most
// (a valve's lane) from where the row next changes, otherwise from a sparse table.
class RowRanges {
public:
    explicit RowRanges(std::span<const TraceVertex> v) : v_(v) {
        const std::size_t n = v.size();
        int a = v[0].Y, b = v[0].Y;
        bool two = true;
        for (const TraceVertex& t : v) {
            if (t.Y == a || t.Y == b) continue;
            if (a == b) b = t.Y;
            else two = false;
        }
        lo2_ = std::min(a, b);
        hi2_ = std::max(a, b);
        if (two) {
            nextChange_.assign(n, n);
            for (std::size_t j = n - 1; j-- > 0;)
                nextChange_[j] = v[j + 1].Y != v[j].Y ? j + 1 : nextChange_[j + 1];
            return;
        }
        lo_.push_back({});
        hi_.push_back({});
        for (const TraceVertex& t : v) {
            lo_[0].push_back(t.Y);
            hi_[0].push_back(t.Y);
        }
        for (std::size_t w = 1; 2 * w <= n; w *= 2) {
            const std::vector<int>& plo = lo_.back();
            const std::vector<int>& phi = hi_.back();
            std::vector<int> nlo, nhi;
            for (std::size_t j = 0; j + 2 * w <= n; ++j) {
                nlo.push_back(std::min(plo[j], plo[j + w]));
                nhi.push_back(std::max(phi[j], phi[j + w]));
            }
            lo_.push_back(std::move(nlo));
            hi_.push_back(std::move(nhi));
        }
    }
    // Rows of vertices j .. k (inclusive).
    std::pair<int, int> range(std::size_t j, std::size_t k) const {
        if (!nextChange_.empty()) {
            if (nextChange_[j] > k) return {v_[j].Y, v_[j].Y};
            return {lo2_, hi2_};
        }
        std::size_t level = 0;
        while ((std::size_t{2} << level) <= k - j + 1) ++level;
        const std::size_t w = std::size_t{1} << level;
        return {std::min(lo_[level][j], lo_[level][k + 1 - w]),
                std::max(hi_[level][j], hi_[level][k + 1 - w])};
    }

private:
    std::span<const TraceVertex> v_;
    std::vector<std::size_t> nextChange_;
    std::vector<std::vector<int>> lo_, hi_;
    int lo2_ = 0, hi2_ = 0;
};

void drawLiteralTrace(Canvas& canvas, const TimeAxis& a, double cycle,
                      std::span<const TraceVertex> v, std::int64_t cycles) {
    auto x = [&](double t) {
        return pixelWithin((t - a.XMin) * a.XScale, a.PixelLimit) + a.Left;
    };
    canvas.moveTo(x(v[0].Time == cycle ? startOf(1, cycle) : v[0].Time), v[0].Y);
    for (std::int64_t n = 0; n < cycles; ++n) {
        const double c = startOf(n, cycle);
        const double next = startOf(n + 1, cycle);
        for (const TraceVertex& p : v) canvas.lineTo(x(p.Time == cycle ? next : c + p.Time), p.Y);
    }
}

void drawDenseTrace(Canvas& canvas, const TimeAxis& a, double cycle,
                    std::span<const TraceVertex> given, std::int64_t cycles) {
    // Within the cycle and closed at its end, every cycle keeps to its own stretch of time.
    std::vector<TraceVertex> v(given.begin(), given.end());
    for (TraceVertex& p : v) p.Time = std::clamp(p.Time, 0.0, cycle);
    if (v.back().Time != cycle) v.push_back({cycle, v.back().Y});
    auto earlier = [](const TraceVertex& p, const TraceVertex& q) { return p.Time < q.Time; };
    const bool sorted = std::is_sorted(v.begin(), v.end(), earlier);
    const RowRanges rows(v);
    const auto [yMin, yMax] = rows.range(0, v.size() - 1);
    const double tMin = std::min_element(v.begin(), v.end(), earlier)->Time;

    const Columns col(a, 2);
    auto at = [&](std::int64_t n, double t) {
        return col.at(t == cycle ? startOf(n + 1, cycle) : startOf(n, cycle) + t);
    };
    const auto last = static_cast<std::int64_t>(v.size()) - 1;
    ColumnPolyline line;
    std::int64_t n = 0;
    while (n < cycles) {
        const int first = at(n, tMin);
        if (first == at(n, cycle)) {
            // Cycles that lie wholly in one column draw all their rows there.
            const std::int64_t m = lastOfRun(n, cycles - 1, [&](std::int64_t k) {
                return at(k, tMin) == first && at(k, cycle) == first;
            });
            line.group(first, v.front().Y, yMin, yMax, v.back().Y);
            n = m + 1;
            continue;
        }
        if (!sorted) {
            for (const TraceVertex& p : v) {
                const int x = at(n, p.Time);
                line.group(x, p.Y, p.Y, p.Y, p.Y);
            }
        } else {
            std::int64_t j = 0;
            while (j <= last) {
                const int x = at(n, v[static_cast<std::size_t>(j)].Time);
                const std::int64_t k = lastOfRun(j, last, [&](std::int64_t i) {
                    return at(n, v[static_cast<std::size_t>(i)].Time) == x;
                });
                const auto from = static_cast<std::size_t>(j), to = static_cast<std::size_t>(k);
                const auto [lo, hi] = rows.range(from, to);
                line.group(x, v[from].Y, lo, hi, v[to].Y);
                j = k + 1;
            }
        }
        ++n;
    }
    line.flush();
    if (line.points().empty()) {
        canvas.moveTo(col.at(v[0].Time), v[0].Y);
        return;
    }
    canvas.polyline(line.points());
}

} // namespace

std::int64_t cycleStarts(double cycle, double xMax) {
    if (!(cycle > 0) || !std::isfinite(cycle) || !(xMax >= 0)) return 0;
    const double q = std::floor(xMax / cycle);
    if (!(q < static_cast<double>(kMaxCycles))) return kMaxCycles;
    auto n = static_cast<std::int64_t>(q) + 1; // starts 0 .. q
    auto within = [&](std::int64_t k) {
        const double c = startOf(k, cycle);
        return c <= xMax || sameDecimal(c, xMax);
    };
    while (n > 1 && !within(n - 1)) --n;
    while (n < kMaxCycles && within(n)) ++n;
    return n;
}

void drawCycleLines(Canvas& canvas, const TimeAxis& a, double cycle, int yTop, int yBottom) {
    if (!drawable(a, cycle)) return;
    const std::int64_t lines = cycleLines(cycle, a.XMax);
    const double perColumn = static_cast<double>(lines) / (std::max(a.Width, 0) + 2);
    if (perColumn <= kLiteralPerColumn) {
        int lastX = INT_MIN;
        for (std::int64_t n = 1; n <= lines; ++n) {
            const int x =
                pixelWithin((startOf(n, cycle) - a.XMin) * a.XScale, a.PixelLimit) + a.Left;
            if (x == lastX) continue; // the same line again paints nothing new
            canvas.moveTo(x, yTop);
            canvas.lineTo(x, yBottom);
            lastX = x;
        }
        return;
    }
    // One line per column the multiples reach.
    const Columns col(a, 1);
    std::int64_t n = 1;
    while (n <= lines) {
        const int x = col.at(startOf(n, cycle));
        if (!col.outside(x)) {
            canvas.moveTo(x, yTop);
            canvas.lineTo(x, yBottom);
        }
        n = lastOfRun(n, lines, [&](std::int64_t k) { return col.at(startOf(k, cycle)) == x; }) + 1;
    }
}

void drawCycleTrace(Canvas& canvas, const TimeAxis& a, double cycle,
                    std::span<const TraceVertex> v) {
    if (v.empty() || !drawable(a, cycle)) return;
    const std::int64_t cycles = cycleStarts(cycle, a.XMax);
    const double corners = static_cast<double>(cycles) * static_cast<double>(v.size());
    if (corners <= kLiteralPerColumn * (std::max(a.Width, 0) + 2)) {
        drawLiteralTrace(canvas, a, cycle, v, cycles);
        return;
    }
    drawDenseTrace(canvas, a, cycle, v, cycles);
}

} // namespace varentis
