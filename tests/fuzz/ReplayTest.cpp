// The committed fuzz corpus, replayed through the same property checks as the fuzzer, with
// the fuzzer's limits: at most 5 s and 512 MB for one input.
#include "fuzz/FuzzChecks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <sstream>

// Every allocation through new is counted, so the peak that one input needs is known.
namespace {
std::atomic<std::size_t> liveBytes{0}, peakBytes{0};

void* counted(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) throw std::bad_alloc();
    const std::size_t live = liveBytes += malloc_usable_size(p);
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return p;
}
} // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept {
    if (!p) return;
    liveBytes -= malloc_usable_size(p);
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace varentis::fuzz {

void PrintTo(const Target& target, std::ostream* os) { *os << target.name; }

namespace {

std::vector<std::filesystem::path> corpus(std::string_view target) {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path folder = std::filesystem::path(VARENTIS_FUZZ_CORPUS) / target;
    if (!std::filesystem::is_directory(folder)) return files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

class Replay : public ::testing::TestWithParam<Target> {};

TEST_P(Replay, EveryCorpusInputKeepsTheReadersProperties) {
    const Target& target = GetParam();
    const auto files = corpus(target.name);
    ASSERT_FALSE(files.empty()) << "no corpus for " << target.name;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string input = bytes.str();

        const std::size_t before = liveBytes.load();
        peakBytes = before;
        const auto started = std::chrono::steady_clock::now();
        const std::string problem = target.check(input);
        const auto took = std::chrono::steady_clock::now() - started;
        const std::size_t peak = peakBytes.load() - before;

        EXPECT_EQ(problem, "");
        EXPECT_LT(took, std::chrono::seconds(kTimeLimitSeconds));
        EXPECT_LT(peak, std::size_t{kMemoryLimitMegabytes} << 20) << peak << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, Replay, ::testing::ValuesIn(targets().begin(), targets().end()),
                         [](const auto& p) { return std::string(p.param.name); });

// The counting itself: a reader that holds a large buffer shows in the peak.
TEST(ReplayLimits, PeakMemoryOfAnInputIsSeen) {
    const std::size_t before = liveBytes.load();
    peakBytes = before;
    {
        std::vector<char> big(64 << 20, 'x');
        EXPECT_EQ(big.back(), 'x');
    }
    EXPECT_GE(peakBytes.load() - before, std::size_t{64} << 20);
    EXPECT_LT(liveBytes.load() - before, std::size_t{1} << 20);
}

} // namespace
} // namespace varentis::fuzz
